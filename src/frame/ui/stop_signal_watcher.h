#pragma once
// SIGTERM (a session logging out, a service manager), SIGHUP and SIGINT close
// the window the normal way, so a running download is cancelled and waited
// for, and the layout and selection are saved, instead of the process dying
// half-way. The handler only writes a byte to a socket; the UI thread reads it.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace kanro::frame {

class CStopSignalWatcher : public QObject {
 public:
  // Calls onStop on the UI thread once for each signal that arrives.
  explicit CStopSignalWatcher(std::function<void()> onStop, QObject* parent = nullptr);
  ~CStopSignalWatcher() override;
  CStopSignalWatcher(const CStopSignalWatcher&) = delete;
  CStopSignalWatcher& operator=(const CStopSignalWatcher&) = delete;

 private:
  std::function<void()> m_onStop;
  QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kanro::frame
