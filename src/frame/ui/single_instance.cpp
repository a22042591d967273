#include "frame/ui/single_instance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kanro::frame {
namespace {

constexpr char kActivateRequest[] = "activate";
constexpr char kDownloadRequest[] = "download";

QByteArray RequestLine(HandOverRequest request) {
  return QByteArray(request == HandOverRequest::Download ? kDownloadRequest : kActivateRequest) + '\n';
}

// Per user, so two users on one machine each get their own instance.
QString UserSuffix() {
#ifdef _WIN32
  return QString::fromLocal8Bit(qgetenv("USERNAME"));
#else
  return QString::number(getuid());
#endif
}

}  // namespace

SingleInstance::SingleInstance(const QString& name)
    : serverName_(name + QLatin1Char('-') + UserSuffix()),
      lock_(QDir(QDir::tempPath()).filePath(name + QLatin1Char('-') + UserSuffix() + QStringLiteral(".lock"))) {
  // Only a lock whose owner has died is stale, however old it is.
  lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

bool SingleInstance::TryBecomePrimary(RequestHandler onRequest) {
  if (!lock_.tryLock(0)) return false;
  onRequest_ = std::move(onRequest);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket left by a crashed instance would block listen(); we hold the
  // lock, so nobody else owns it.
  QLocalServer::removeServer(serverName_);
  server_->listen(serverName_);
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      auto handle = [this, socket] {
        if (!socket->canReadLine()) return;
        const QByteArray line = socket->readLine().trimmed();
        QByteArray answer;
        if (onRequest_ && line == kActivateRequest) answer = onRequest_(HandOverRequest::Activate);
        else if (onRequest_ && line == kDownloadRequest) answer = onRequest_(HandOverRequest::Download);
        // The answer is written before the connection closes.
        socket->write(answer + '\n');
        socket->disconnectFromServer();
      };
      QObject::connect(socket, &QLocalSocket::readyRead, socket, handle);
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      handle();  // the request may have arrived with the connection
    }
  });
  return true;
}

QByteArray SingleInstance::HandOver(HandOverRequest request, int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  auto remaining = [&deadline] { return static_cast<int>(qMax<qint64>(1, deadline.remainingTime())); };
  // The first instance may hold the lock but not listen yet: try again briefly.
  while (true) {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(remaining())) {
      socket.write(RequestLine(request));
      if (!socket.waitForBytesWritten(remaining())) return {};
      // The first answers once its window has acted on the request.
      while (!socket.canReadLine() && !deadline.hasExpired())
        if (!socket.waitForReadyRead(remaining())) break;
      return socket.canReadLine() ? socket.readLine().trimmed() : QByteArray();
    }
    if (deadline.hasExpired()) return {};
    QThread::msleep(50);
  }
}

}  // namespace kanro::frame
