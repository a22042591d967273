#pragma once
// Only one Kanro runs per user. The first start holds a lock file and listens
// on a local socket, both named after the executable; a later start finds the
// lock taken, asks the first over the socket to restore and activate its
// window, and ends without showing anything.
#include <QLockFile>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace kanro::frame {

class SingleInstance {
 public:
  // name: the executable's file name without extension.
  explicit SingleInstance(const QString& name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when this process is the first; it then keeps the lock for its life
  // and calls onActivate (on the GUI thread) whenever a later start asks.
  bool TryBecomePrimary(std::function<void()> onActivate);

  // From a later start: asks the first instance to show its window. Gives up
  // quietly after timeoutMs when the first does not answer.
  bool ActivatePrimary(int timeoutMs = 3000);

 private:
  QString serverName_;
  QLockFile lock_;
  std::unique_ptr<QLocalServer> server_;
  std::function<void()> onActivate_;
};

}  // namespace kanro::frame
