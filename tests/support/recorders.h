#pragma once
// Test stand-ins for the main window and the user's message boxes: they record
// what a worker sends, posts and warns, safely from any thread.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/messages.h"

namespace kanro::test {

struct RecordedMessage {
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  bool sent = false;  // false: posted
  // The text lParam points to, copied while the sender still holds it; set
  // for the messages that carry a text pointer (UM_TASKRESULT with wParam 1, 2
  // or 3 and a non-zero lParam, UM_STATUSTEXT).
  std::string text;
};

class RecordingTarget : public kanro::app::MessageTarget {
 public:
  // Runs for every sent message before Send returns (on the sender's thread);
  // its result is Send's result. Set it before the worker starts.
  std::function<intptr_t(const RecordedMessage&)> onSend;

  intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) override;
  void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override;

  std::vector<RecordedMessage> Messages() const;
  // The messages of one kind, in order.
  std::vector<RecordedMessage> Messages(unsigned message) const;
  size_t Count(unsigned message) const;
  void Clear();
  // Blocks until a message of this kind has arrived (true); gives up after
  // timeoutMs (false) so a broken worker fails the test instead of hanging it.
  bool WaitFor(unsigned message, int timeoutMs = 30000) const;

 private:
  void Record(RecordedMessage&& recorded);

  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<RecordedMessage> messages_;
};

// Installs itself as the process-wide notifier for its lifetime and records
// every warning and beep.
class RecordingNotifier : public kanro::app::Notifier {
 public:
  RecordingNotifier();
  ~RecordingNotifier() override;
  RecordingNotifier(const RecordingNotifier&) = delete;
  RecordingNotifier& operator=(const RecordingNotifier&) = delete;

  void Warn(const std::string& text) override;
  void Beep() override;

  // The warnings so far (CP932 texts), in order.
  std::vector<std::string> Warnings() const;
  // The same, converted to UTF-8 for readable assertions.
  std::vector<std::string> WarningsUtf8() const;
  int Beeps() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> warnings_;
  int beeps_ = 0;
  kanro::app::Notifier* previous_ = nullptr;
};

}  // namespace kanro::test
