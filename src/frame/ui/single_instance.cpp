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

constexpr char kActivateRequest[] = "activate\n";

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

bool SingleInstance::TryBecomePrimary(std::function<void()> onActivate) {
  if (!lock_.tryLock(0)) return false;
  onActivate_ = std::move(onActivate);
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
        QByteArray line = socket->readLine();
        socket->disconnectFromServer();
        if (line == kActivateRequest && onActivate_) onActivate_();
      };
      QObject::connect(socket, &QLocalSocket::readyRead, socket, handle);
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      handle();  // the request may have arrived with the connection
    }
  });
  return true;
}

bool SingleInstance::ActivatePrimary(int timeoutMs) {
  QDeadlineTimer deadline(timeoutMs);
  // The first instance may hold the lock but not listen yet: try again briefly.
  while (true) {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (socket.waitForConnected(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
      socket.write(kActivateRequest);
      bool sent = socket.waitForBytesWritten(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
      socket.disconnectFromServer();
      return sent;
    }
    if (deadline.hasExpired()) return false;
    QThread::msleep(50);
  }
}

}  // namespace kanro::frame
