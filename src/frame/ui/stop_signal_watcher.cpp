#include "frame/ui/stop_signal_watcher.h"

#include <QSocketNotifier>

#ifndef _WIN32
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kanro::frame {

#ifndef _WIN32
namespace {

int g_signalSockets[2] = {-1, -1};

void OnStopSignal(int) {
  const char byte = 1;
  // Async-signal-safe; a full socket only means a stop is already pending.
  [[maybe_unused]] ssize_t written = ::write(g_signalSockets[0], &byte, 1);
}

}  // namespace
#endif

CStopSignalWatcher::CStopSignalWatcher(std::function<void()> onStop, QObject* parent)
    : QObject(parent), m_onStop(std::move(onStop)) {
#ifndef _WIN32
  if (g_signalSockets[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0) return;
  m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
  connect(m_notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    if (::read(g_signalSockets[1], &byte, 1) == 1 && m_onStop) m_onStop();
  });
  struct sigaction action = {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
#endif
}

CStopSignalWatcher::~CStopSignalWatcher() {
#ifndef _WIN32
  if (!m_notifier) return;
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(signal, &action, nullptr);
  delete m_notifier;
  m_notifier = nullptr;
  ::close(g_signalSockets[0]);
  ::close(g_signalSockets[1]);
  g_signalSockets[0] = g_signalSockets[1] = -1;
#endif
}

}  // namespace kanro::frame
