#include "view/ui/iepg_handover.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>

#include "text/codepage.h"
#include "view/iepg_file.h"
#include "view/link_policy.h"
#include "view/ui/desktop_opener.h"

namespace kanro::view {

namespace {

// A click is followed by the hidden frame's load within a moment; an address
// left expected longer than this is forgotten.
constexpr qint64 kExpectMs = 60 * 1000;

QString Key(const QUrl& url) { return QString::fromUtf8(url.adjusted(QUrl::RemoveFragment).toEncoded()); }

}  // namespace

IepgHandover::IepgHandover(QWebEngineProfile* profile) : QObject(profile) {
  connect(profile, &QWebEngineProfile::downloadRequested, this, &IepgHandover::OnDownloadRequested);
}

IepgHandover::~IepgHandover() = default;

IepgHandover* IepgHandover::Of(QWebEngineProfile* profile) {
  return profile ? profile->findChild<IepgHandover*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void IepgHandover::Expect(const QUrl& url) {
  ForgetStale();
  QElapsedTimer clicked;
  clicked.start();
  m_expected[Key(url)] = clicked;
}

bool IepgHandover::IsExpected(const QUrl& url) const {
  auto found = m_expected.find(Key(url));
  return found != m_expected.end() && found->second.elapsed() < kExpectMs;
}

void IepgHandover::ForgetStale() {
  for (auto it = m_expected.begin(); it != m_expected.end();)
    it = it->second.elapsed() >= kExpectMs ? m_expected.erase(it) : std::next(it);
}

QString IepgHandover::NewFileName() {
  // Our own name, never the server's: it cannot climb out of the folder or
  // pick the type the desktop opens it with.
  for (;;) {
    const QString name =
        QStringLiteral("kanro-%1.tvpi").arg(QRandomGenerator::global()->generate(), 8, 16, QChar('0'));
    if (!QFileInfo::exists(QDir(m_folder->path()).filePath(name))) return name;
  }
}

void IepgHandover::Refuse(QWebEngineDownloadRequest* download, const char* utf8Message) {
  const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
  if (download->state() != QWebEngineDownloadRequest::DownloadCancelled &&
      download->state() != QWebEngineDownloadRequest::DownloadInterrupted && !download->isFinished())
    download->cancel();
  if (m_folder && path.startsWith(m_folder->path() + QLatin1Char('/'))) QFile::remove(path);
  Q_EMIT statusText(text::Utf8ToCp932(utf8Message));
}

void IepgHandover::OnDownloadRequested(QWebEngineDownloadRequest* download) {
  const QUrl url = download->url();
  if (!IsIepgAddress(url) || !IsExpected(url)) {
    // Nothing but the iEPG file of a clicked link is ever saved.
    download->cancel();
    return;
  }
  m_expected.erase(Key(url));
  if (download->totalBytes() > static_cast<qint64>(kMaxIepgFileBytes)) {
    download->cancel();
    Q_EMIT statusText(text::Utf8ToCp932("iEPG ファイルが大きすぎるため、開きませんでした。"));
    return;
  }
  if (!m_folder) {
    // Readable by this user only (mode 0700).
    m_folder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kanro-iepg-XXXXXX"));
    if (!m_folder->isValid()) {
      m_folder.reset();
      download->cancel();
      Q_EMIT statusText(text::Utf8ToCp932("iEPG ファイルを保存する一時フォルダーを作れませんでした。"));
      return;
    }
  }
  download->setDownloadDirectory(m_folder->path());
  download->setDownloadFileName(NewFileName());
  connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this, [this, download] { OnProgress(download); });
  connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, [this, download] { OnFinished(download); });
  download->accept();
}

void IepgHandover::OnProgress(QWebEngineDownloadRequest* download) {
  if (download->isFinished() || download->receivedBytes() <= static_cast<qint64>(kMaxIepgFileBytes)) return;
  // Refuse() cancels; the finish that follows finds the state cancelled.
  Refuse(download, "iEPG ファイルが大きすぎるため、開きませんでした。");
}

void IepgHandover::OnFinished(QWebEngineDownloadRequest* download) {
  if (!download->isFinished()) return;
  if (download->state() != QWebEngineDownloadRequest::DownloadCompleted) {
    if (download->state() == QWebEngineDownloadRequest::DownloadInterrupted)
      Refuse(download, "iEPG ファイルを取得できませんでした。");
    return;
  }
  const QString path = QDir(download->downloadDirectory()).filePath(download->downloadFileName());
  QFile file(path);
  QByteArray bytes;
  if (file.open(QIODevice::ReadOnly)) bytes = file.read(static_cast<qint64>(kMaxIepgFileBytes) + 1);
  file.close();
  switch (CheckIepgFile(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())))) {
    case IepgCheck::Ok:
      break;
    case IepgCheck::TooLarge:
      Refuse(download, "iEPG ファイルが大きすぎるため、開きませんでした。");
      return;
    case IepgCheck::Empty:
    case IepgCheck::NotIepg:
      Refuse(download, "受け取ったファイルは iEPG ファイルではないため、開きませんでした。");
      return;
  }
  OpenWithDesktop(QUrl::fromLocalFile(path), this, [this] {
    Q_EMIT statusText(text::Utf8ToCp932("iEPG ファイルを開くアプリケーションが見つかりませんでした。"));
  });
  Q_EMIT handedOver(path);
}

}  // namespace kanro::view
