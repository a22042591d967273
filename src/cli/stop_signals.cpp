#include "cli/stop_signals.h"

#include <atomic>
#include <csignal>

#include "app/messages.h"

namespace kanro::cli {
namespace {

constexpr int kStopSignals[] = {
    SIGINT,
#ifndef _WIN32
    SIGTERM,
    SIGHUP,
#endif
};
constexpr int kSignalCount = sizeof kStopSignals / sizeof kStopSignals[0];

std::atomic<bool> g_stopped{false};

extern "C" void CancelOnSignal(int) {
  g_stopped.store(true);
  g_bCancel.store(true);
}

#ifdef _WIN32
void (*g_previous[kSignalCount])(int);
#else
struct sigaction g_previous[kSignalCount];
#endif

}  // namespace

CancelOnStopSignals::CancelOnStopSignals() {
  g_stopped.store(false);
  g_bCancel.store(false);
  for (int i = 0; i < kSignalCount; ++i) {
#ifdef _WIN32
    g_previous[i] = std::signal(kStopSignals[i], CancelOnSignal);
#else
    struct sigaction action {};
    action.sa_handler = CancelOnSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume; the work notices g_bCancel itself.
    action.sa_flags = SA_RESTART;
    sigaction(kStopSignals[i], &action, &g_previous[i]);
#endif
  }
}

CancelOnStopSignals::~CancelOnStopSignals() {
  for (int i = 0; i < kSignalCount; ++i) {
#ifdef _WIN32
    std::signal(kStopSignals[i], g_previous[i]);
#else
    sigaction(kStopSignals[i], &g_previous[i], nullptr);
#endif
  }
}

bool CancelOnStopSignals::Stopped() const { return g_stopped.load(); }

}  // namespace kanro::cli
