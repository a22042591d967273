#include "frame/ui/message_box_notifier.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

#include <cstdio>

#include "text/codepage.h"

namespace kanro::frame {

void MessageBoxNotifier::Warn(const std::string& text) {
  std::string utf8 = text::Cp932ToUtf8(text);
  const QString message = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  if (isUnattended_ && isUnattended_()) {
    std::fprintf(stderr, "kanro: %s\n", utf8.c_str());
    if (toStatus_) {
      auto status = toStatus_;
      QString line = message.simplified();
      QMetaObject::invokeMethod(qApp, [status, line] { status(line); }, Qt::QueuedConnection);
    }
    return;
  }
  auto show = [this, message] { QMessageBox::warning(parent_, QStringLiteral("Kanro"), message); };
  // Workers report network failures too; a message box belongs to the UI
  // thread, and the worker waits until the user has read it.
  if (QThread::currentThread() == qApp->thread())
    show();
  else
    QMetaObject::invokeMethod(qApp, show, Qt::BlockingQueuedConnection);
}

void MessageBoxNotifier::Beep() { QApplication::beep(); }

}  // namespace kanro::frame
