#include "cli/terminal_progress.h"

#include <algorithm>

namespace kanro::cli {

void TerminalProgress::Progress(uintptr_t wParam, intptr_t lParam) {
  if (lParam > 0) {
    range_ = static_cast<unsigned long long>(lParam);
    position_ = wParam;
  } else {
    position_ = wParam;
  }
  Draw(false);
}

void TerminalProgress::Status(const std::string& textUtf8) {
  status_ = textUtf8;
  Draw(true);
}

void TerminalProgress::Clear() {
  if (!visible_ || !drawn_) return;
  std::fputs("\r\033[K", stream_);
  std::fflush(stream_);
  drawn_ = false;
}

void TerminalProgress::Finish() {
  if (!visible_ || !drawn_) return;
  Draw(true);
  std::fputc('\n', stream_);
  drawn_ = false;
}

void TerminalProgress::Draw(bool force) {
  if (!visible_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastDraw_ < std::chrono::milliseconds(100)) return;
  lastDraw_ = now;
  constexpr unsigned long long kWidth = 30;
  const unsigned long long shown = range_ > 0 ? std::min(position_, range_) : 0;
  const unsigned long long filled = range_ > 0 ? shown * kWidth / range_ : 0;
  std::string line = "\r\033[K[" + std::string(filled, '#') + std::string(kWidth - filled, ' ') + "]";
  if (range_ > 0) line += " " + std::to_string(shown * 100 / range_) + "%";
  if (status_.empty()) line += " " + std::to_string(position_) + " bytes";
  else line += " " + status_;
  std::fputs(line.c_str(), stream_);
  std::fflush(stream_);
  drawn_ = true;
}

}  // namespace kanro::cli
