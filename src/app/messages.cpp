#include "app/messages.h"

#include <cstdio>

#include "text/codepage.h"

std::atomic<void*> g_pNetBusy{nullptr};
std::atomic<bool> g_bCancel{false};

namespace kanro::app {
namespace {

// Until a window or a test installs its own, warnings go to stderr in UTF-8.
class StderrNotifier : public Notifier {
 public:
  void Warn(const std::string& text) override {
    std::string utf8 = text::Cp932ToUtf8(text);
    std::fprintf(stderr, "%s\n", utf8.c_str());
    std::fflush(stderr);
  }
};

StderrNotifier& DefaultNotifier() {
  static StderrNotifier notifier;
  return notifier;
}

std::atomic<Notifier*>& InstalledNotifier() {
  static std::atomic<Notifier*> notifier{nullptr};
  return notifier;
}

}  // namespace

Notifier& CurrentNotifier() {
  Notifier* notifier = InstalledNotifier().load();
  return notifier ? *notifier : DefaultNotifier();
}

Notifier* SetNotifier(Notifier* notifier) {
  Notifier* previous = InstalledNotifier().exchange(notifier);
  return previous ? previous : &DefaultNotifier();
}

}  // namespace kanro::app
