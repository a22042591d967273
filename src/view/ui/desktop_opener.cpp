#include "view/ui/desktop_opener.h"

#include <QDesktopServices>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

namespace kanro::view {

namespace {

std::function<bool(const QUrl&)>& TestOpener() {
  static std::function<bool(const QUrl&)> opener;
  return opener;
}

void ReportLater(const QObject* context, std::function<void()> onFailed) {
  if (!onFailed) return;
  QMetaObject::invokeMethod(const_cast<QObject*>(context), std::move(onFailed), Qt::QueuedConnection);
}

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
// The desktop's opener on Linux. QDesktopServices starts it detached and
// reports success as soon as it started, so "no application for .css" would
// pass unseen; its exit status is what tells.
void RunDesktopOpener(const QUrl& url, const QObject* context, std::function<void()> onFailed) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (program.isEmpty()) {
    // No opener of the desktop; Qt's own portal or handlers may still take it.
    if (!QDesktopServices::openUrl(url)) ReportLater(context, std::move(onFailed));
    return;
  }
  // Not parented: the opener may wait for the application it started, and
  // it is not ended with a window (the application would stay either way).
  auto* process = new QProcess;
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setProgram(program);
  process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
  QPointer<const QObject> watched(context);
  auto fail = [watched, onFailed, process]() {
    process->deleteLater();
    if (watched && onFailed) onFailed();
  };
  // A crash arrives as finished() too; only a failed start comes alone.
  QObject::connect(process, &QProcess::errorOccurred, process, [fail](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) fail();
  });
  QObject::connect(process, &QProcess::finished, process, [process, fail](int code, QProcess::ExitStatus status) {
    if (code != 0 || status != QProcess::NormalExit) fail();
    else process->deleteLater();
  });
  process->start(QIODevice::NotOpen);
}
#else
void RunDesktopOpener(const QUrl& url, const QObject* context, std::function<void()> onFailed) {
  if (!QDesktopServices::openUrl(url)) ReportLater(context, std::move(onFailed));
}
#endif

}  // namespace

void OpenWithDesktop(const QUrl& url, const QObject* context, std::function<void()> onFailed) {
  if (TestOpener()) {
    if (!TestOpener()(url)) ReportLater(context, std::move(onFailed));
    return;
  }
  RunDesktopOpener(url, context, std::move(onFailed));
}

QString CannotOpenText(const QUrl& url) {
  return (url.isLocalFile() ? url.toLocalFile() : url.toDisplayString()) + QStringLiteral(" が開けませんでした。");
}

void SetDesktopOpenerForTesting(std::function<bool(const QUrl&)> opener) { TestOpener() = std::move(opener); }

}  // namespace kanro::view
