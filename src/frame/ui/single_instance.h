#pragma once
// Only one Kanro runs per user. The first start holds a lock file and listens
// on a local socket, both named after the executable; a later start finds the
// lock taken, hands its request to the first over the socket (show the
// window, or download now) and ends without showing anything.
#include <QByteArray>
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace kanro::frame {

// What a later start asks of the first one.
enum class HandOverRequest {
  Activate,  // restore and activate the window
  Download,  // start a download in the window ("/d")
};

// The first instance's answers to a download request.
inline constexpr char kDownloadStarted[] = "started";
inline constexpr char kDownloadBusy[] = "busy";            // work runs already
inline constexpr char kDownloadWaitsForDialog[] = "dialog";  // a dialog waits for the user
inline constexpr char kDownloadRefused[] = "refused";        // starting up or closing

class SingleInstance {
 public:
  // Answers a request on the GUI thread: one line without its line end.
  using RequestHandler = std::function<QByteArray(HandOverRequest)>;

  // name: the executable's file name without extension.
  explicit SingleInstance(const QString& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the first; it then keeps the lock for its life
  // and calls onRequest (on the GUI thread) whenever a later start asks.
  bool TryBecomePrimary(RequestHandler onRequest);

  // From a later start: hands the request to the first instance and returns
  // its answer, or an empty text when it did not answer within timeoutMs.
  QByteArray HandOver(HandOverRequest request, int timeoutMs = 5000);

 private:
  QString serverName_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
  RequestHandler onRequest_;
};

}  // namespace kanro::frame
