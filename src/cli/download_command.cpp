// kanro-cli download: one download run as the program's download commands
// start it, for cron jobs and scripts. The run works on a worker thread; this
// thread handles its messages the way the main window does.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "app/listing_time.h"
#include "app/messages.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "cli/cli_command.h"
#include "cli/stop_signals.h"
#include "cli/terminal_progress.h"
#include "listing/download_thread.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunDownload(std::vector<std::string>& args);

const CliCommand kDownloadCommand{
    "download", "download [--force] [--renew-headers] [--days N] [--programs LIST]",
    "fetch and convert the listings of the programme list (settings \"Download\"/\"Days\" and \"Programs\")",
    RunDownload};

KANRO_CLI_COMMAND(download, kDownloadCommand);

struct Message {
  unsigned message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  bool sent = false;
  bool handled = false;
};

// The worker's window: Send queues the message and waits until this thread
// has handled it (so text pointers stay valid); Post only queues.
class MessageQueue : public app::MessageTarget {
 public:
  intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    Message item{message, wParam, lParam, true, false};
    std::unique_lock<std::mutex> lock(mutex_);
    queue_.push_back(&item);
    changed_.notify_all();
    changed_.wait(lock, [&] { return item.handled; });
    return 0;
  }
  void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(Message{message, wParam, lParam, false, false});
    queue_.push_back(&posted_.back());
    changed_.notify_all();
  }

  // Hands each message to handle() in arrival order until handle returns
  // false or the worker has finished (finished() true and the queue empty).
  template <class Handler, class Finished>
  void Pump(Handler handle, Finished finished) {
    for (;;) {
      Message* item = nullptr;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !queue_.empty(); });
        if (queue_.empty()) {
          if (finished()) return;
          continue;
        }
        item = queue_.front();
        queue_.pop_front();
      }
      handle(*item);
      std::lock_guard<std::mutex> lock(mutex_);
      item->handled = true;
      changed_.notify_all();
    }
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Message*> queue_;
  std::deque<Message> posted_;  // stable addresses for posted messages
};

// What the user sees: on a terminal one status line with a progress bar;
// otherwise plain lines.
class StatusDisplay {
 public:
  explicit StatusDisplay(bool terminal) : terminal_(terminal), line_(stdout, terminal) {}

  void Status(const std::string& textCp932) {
    const std::string text = text::Cp932ToUtf8(textCp932);
    if (terminal_) {
      line_.Status(text);
    } else {
      std::printf("%s\n", text.c_str());
      std::fflush(stdout);
    }
  }
  void Progress(uintptr_t wParam, intptr_t lParam) { line_.Progress(wParam, lParam); }
  // A line that stays (a written page, the result).
  void Line(const std::string& text) {
    line_.Clear();
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
  }
  void EndBar() { line_.Clear(); }

 private:
  bool terminal_;
  TerminalProgress line_;
};

bool ParseDays(const std::string& text, int* days) {
  try {
    size_t used = 0;
    long value = std::stol(text, &used);
    if (used != text.size()) return false;
    *days = value < -1000000 ? -1000000 : value > 1000000 ? 1000000 : static_cast<int>(value);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

int RunDownload(std::vector<std::string>& args) {
  bool force = false;
  bool renewHeaders = false;
  std::optional<int> days;
  std::optional<std::string> programmes;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--force") {
      force = true;
    } else if (arg == "--renew-headers") {
      renewHeaders = true;
    } else if (arg == "--days" || arg == "--programs") {
      if (i + 1 >= args.size()) return UsageError(kDownloadCommand, arg + " needs a value");
      const std::string& value = args[++i];
      if (arg == "--programs") {
        programmes = text::Utf8ToCp932(value);
      } else {
        int parsed = 0;
        if (!ParseDays(value, &parsed)) return UsageError(kDownloadCommand, "--days needs a whole number");
        days = parsed;
      }
    } else {
      return UsageError(kDownloadCommand, "unknown argument \"" + arg + "\"");
    }
  }
  if (!PrepareDataFolder()) return 1;

  MessageQueue window;
  listing::DOWNLOADPARAM param;
  // Renewing header pages fetches every page again, as the program's
  // command does; each header page is replaced once its new one is written.
  param.force = force || renewHeaders;
  param.renewHeaders = renewHeaders;
  param.window = &window;
  param.days = days ? *days : GetProfileInt("Download", "Days", 8);
  param.start = app::GetListingTime();
  param.programmes = programmes ? *programmes : GetProfileString("Download", "Programs", "08GooTv,");
  param.onceADay = GetProfileInt("Download", "OnceADay", 0) != 0;

  StatusDisplay display(isatty(1) != 0);
  int pages = 0;
  bool completed = false;
  bool failed = false;

  CancelOnStopSignals stopSignals;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    listing::DownloadThread(&param);
    finished.store(true);
  });
  window.Pump(
      [&](const Message& m) {
        switch (m.message) {
          case app::UM_STATUSTEXT:
            if (m.lParam) display.Status(reinterpret_cast<const char*>(m.lParam));
            break;
          case app::UM_PROGRESS:
            display.Progress(m.wParam, m.lParam);
            break;
          case app::UM_TASKRESULT:
            if (m.wParam == app::TASK_PAGE_WRITTEN && m.lParam) {
              ++pages;
              display.Line("written: " + text::Cp932ToUtf8(reinterpret_cast<const char*>(m.lParam)));
            } else if (m.wParam == app::TASK_DOWNLOAD_DONE) {
              completed = true;
            } else {
              failed = true;
            }
            break;
          default:
            break;
        }
      },
      [&] { return finished.load(); });
  worker.join();
  const bool cancelled = stopSignals.Stopped();
  display.EndBar();

  if (completed && !failed) {
    for (const std::string& notice : param.marksDropped) std::printf("%s\n", text::Cp932ToUtf8(notice).c_str());
    std::printf("download completed: %d page%s written\n", pages, pages == 1 ? "" : "s");
    return 0;
  }
  if (!cancelled && !param.failure.empty())
    std::fprintf(stderr, "kanro-cli download: %s failed: %s\n", param.failedPage.c_str(),
                 text::Cp932ToUtf8(param.failure).c_str());
  std::fprintf(stderr, "download %s after %d page%s\n", cancelled ? "cancelled" : "failed", pages,
               pages == 1 ? "" : "s");
  return 1;
}

}  // namespace
}  // namespace kanro::cli
