#pragma once
// The private messages from workers to the main window, and the small
// interfaces workers see instead of a window.
#include <atomic>
#include <cstdint>
#include <string>

namespace kanro::app {

enum WindowMessage : unsigned {
  UM_TASKRESULT = 1124,
  UM_PROGRESS = 1125,
  UM_STATUSTEXT = 1126,
  UM_REFRESHDAYS = 1127,
  UM_SCROLLTOCELL = 1128,
  UM_SHOWDAY = 1129,
};

// wParam values of UM_TASKRESULT.
enum TaskResult : uintptr_t {
  TASK_DOWNLOAD_DONE = 0,
  TASK_PAGE_WRITTEN = 1,
  TASK_RANKING = 2,
  TASK_VERSION = 3,
  TASK_FAILED = 4,
};

// What a worker talks to. Send blocks until the receiver has handled the
// message (pointers in lParam stay valid for that long); Post queues it.
class MessageTarget {
 public:
  virtual ~MessageTarget() = default;
  virtual intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void Post(unsigned message, uintptr_t wParam, intptr_t lParam) = 0;
};

// How the program tells the user something: a message box in the window,
// stderr in kanro-cli, a recorder in tests.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // A warning the user must see (text is CP932).
  virtual void Warn(const std::string& text) = 0;
  virtual void Beep() {}
};

// The process-wide notifier; never null (prints to stderr until replaced).
Notifier& CurrentNotifier();
// Replaces the notifier; null restores the default. Returns the previous one.
Notifier* SetNotifier(Notifier* notifier);

}  // namespace kanro::app

// Non-null while a worker runs. The worker sets and clears it.
extern std::atomic<void*> g_pNetBusy;
// The stop request: the window sets it, the running worker clears it on exit.
extern std::atomic<bool> g_bCancel;
