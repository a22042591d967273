#pragma once
// Takes the iEPG files the view's hidden frame fetched for a clicked iEPG
// link and hands them to the application the desktop associates with
// ".tvpi". Only a download of an address the user clicked shortly before is
// accepted, saved under a name of our own in a private temporary folder,
// limited in size, and checked to be an iEPG file before it is handed over.
// Every other download is refused.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

#include <map>
#include <memory>
#include <string>

class QWebEngineDownloadRequest;
class QWebEngineProfile;

namespace kanro::view {

class IepgHandover : public QObject {
  Q_OBJECT

 public:
  // Serves the downloads of profile; a child of it.
  explicit IepgHandover(QWebEngineProfile* profile);
  ~IepgHandover() override;

  // The hand-over of a profile, or null.
  static IepgHandover* Of(QWebEngineProfile* profile);

  // The user clicked an iEPG link: its file may be fetched for a while.
  void Expect(const QUrl& url);
  bool IsExpected(const QUrl& url) const;

 Q_SIGNALS:
  // The file was handed to the desktop (its local path).
  void handedOver(const QString& path);
  // Something the user should know (a refused file), CP932 text for the status bar.
  void statusText(const std::string& text);

 private:
  void OnDownloadRequested(QWebEngineDownloadRequest* download);
  void OnProgress(QWebEngineDownloadRequest* download);
  void OnFinished(QWebEngineDownloadRequest* download);
  QString NewFileName();
  void Refuse(QWebEngineDownloadRequest* download, const char* utf8Message);
  void ForgetStale();

  std::unique_ptr<QTemporaryDir> m_folder;
  std::map<QString, QElapsedTimer> m_expected;  // encoded address -> clicked when
};

}  // namespace kanro::view
