#pragma once
// The progress line of kanro-cli on a terminal: a bar fed by the workers'
// progress messages, with an optional status text, redrawn in place at most
// ten times a second (a transfer reports every 1024 bytes).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kanro::cli {

class TerminalProgress {
 public:
  // Draws on the stream only when visible (a terminal).
  TerminalProgress(std::FILE* stream, bool visible) : stream_(stream), visible_(visible) {}

  // Handles one UM_PROGRESS message: (0, N) sets the range, (n, 0) the
  // position, (100, 100) a full bar.
  void Progress(uintptr_t wParam, intptr_t lParam);
  // Sets the status text (UTF-8) and redraws at once.
  void Status(const std::string& textUtf8);
  // Clears the line so ordinary output can follow.
  void Clear();
  // Shows the final state and ends the line.
  void Finish();

 private:
  void Draw(bool force);

  std::FILE* stream_;
  bool visible_;
  bool drawn_ = false;
  std::string status_;
  unsigned long long range_ = 0;
  unsigned long long position_ = 0;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace kanro::cli
