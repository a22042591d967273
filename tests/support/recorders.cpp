#include "support/recorders.h"

#include <chrono>

#include "text/codepage.h"

namespace kanro::test {

namespace {

bool CarriesText(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (lParam == 0) return false;
  if (message == kanro::app::UM_STATUSTEXT) return true;
  return message == kanro::app::UM_TASKRESULT &&
         (wParam == kanro::app::TASK_PAGE_WRITTEN || wParam == kanro::app::TASK_RANKING ||
          wParam == kanro::app::TASK_VERSION);
}

}  // namespace

intptr_t RecordingTarget::Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
  RecordedMessage recorded{message, wParam, lParam, true, {}};
  if (CarriesText(message, wParam, lParam)) recorded.text = reinterpret_cast<const char*>(lParam);
  intptr_t result = 0;
  if (onSend) result = onSend(recorded);
  Record(std::move(recorded));
  return result;
}

void RecordingTarget::Post(unsigned message, uintptr_t wParam, intptr_t lParam) {
  // A posted pointer is not guaranteed to outlive the call, so it is not read.
  Record(RecordedMessage{message, wParam, lParam, false, {}});
}

void RecordingTarget::Record(RecordedMessage&& recorded) {
  {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(recorded));
  }
  arrived_.notify_all();
}

std::vector<RecordedMessage> RecordingTarget::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<RecordedMessage> RecordingTarget::Messages(unsigned message) const {
  std::lock_guard lock(mutex_);
  std::vector<RecordedMessage> result;
  for (const auto& m : messages_)
    if (m.message == message) result.push_back(m);
  return result;
}

size_t RecordingTarget::Count(unsigned message) const {
  std::lock_guard lock(mutex_);
  size_t n = 0;
  for (const auto& m : messages_) n += m.message == message;
  return n;
}

void RecordingTarget::Clear() {
  std::lock_guard lock(mutex_);
  messages_.clear();
}

bool RecordingTarget::WaitFor(unsigned message, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    for (const auto& m : messages_)
      if (m.message == message) return true;
    return false;
  });
}

RecordingNotifier::RecordingNotifier() : previous_(kanro::app::SetNotifier(this)) {}

RecordingNotifier::~RecordingNotifier() { kanro::app::SetNotifier(previous_); }

void RecordingNotifier::Warn(const std::string& text) {
  std::lock_guard lock(mutex_);
  warnings_.push_back(text);
}

void RecordingNotifier::Beep() {
  std::lock_guard lock(mutex_);
  ++beeps_;
}

std::vector<std::string> RecordingNotifier::Warnings() const {
  std::lock_guard lock(mutex_);
  return warnings_;
}

std::vector<std::string> RecordingNotifier::WarningsUtf8() const {
  std::vector<std::string> result;
  for (const auto& w : Warnings()) result.push_back(kanro::text::Cp932ToUtf8(w));
  return result;
}

int RecordingNotifier::Beeps() const {
  std::lock_guard lock(mutex_);
  return beeps_;
}

void RecordingNotifier::Clear() {
  std::lock_guard lock(mutex_);
  warnings_.clear();
  beeps_ = 0;
}

}  // namespace kanro::test
