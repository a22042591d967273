// "kanro /d" as a real process: it starts minimised, downloads at once and
// ends by itself, after a complete run and after a failed one, without
// opening the first-start settings sheet or any box that waits for a click.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ProcessOptions;
using kanro::test::RunProcess;

bool HaveProgram(const char* name) {
  return std::system(("command -v " + std::string(name) + " >/dev/null 2>&1").c_str()) == 0;
}

// A virtual X server with a window manager, for what only a real one decides
// (the window's WM_STATE). Empty display when either is not installed.
class WindowManagedDisplay {
 public:
  explicit WindowManagedDisplay(const fs::path& folder) {
    if (!HaveProgram("Xvfb") || !HaveProgram("openbox") || !HaveProgram("xdotool") || !HaveProgram("xprop")) return;
    const fs::path number = folder / "display";
    if (!xvfb_.Start("/bin/sh", {"-c", "exec Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>" + number.string()}))
      return;
    for (int i = 0; i < 500 && display_.empty(); ++i) {
      std::string text = kanro::test::ReadAll(number);
      if (!text.empty() && text.back() == '\n') display_ = ":" + text.substr(0, text.size() - 1);
      else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (display_.empty()) return;
    ProcessOptions options;
    options.env = {{"DISPLAY", display_}};
    wm_.Start("/usr/bin/env", {"openbox"}, options);
    // The window manager owns the screen once it has set up its check window.
    for (int i = 0; i < 500 && Run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const std::string& display() const { return display_; }
  // Output of a shell command run on this display.
  std::string Run(const std::string& command) const {
    ProcessOptions options;
    options.env = {{"DISPLAY", display_}};
    options.timeoutMs = 5000;
    return RunProcess("/bin/sh", {"-c", command}, options).out;
  }
  // "Normal", "Iconic" or "" for each managed window titled "Kanro".
  std::vector<std::string> KanroWindowStates() const {
    std::vector<std::string> states;
    std::string ids = Run("xdotool search --name '^Kanro$' 2>/dev/null");
    for (size_t at = 0; at < ids.size();) {
      size_t end = ids.find('\n', at);
      if (end == std::string::npos) end = ids.size();
      const std::string id = ids.substr(at, end - at);
      at = end + 1;
      if (id.empty()) continue;
      const std::string state = Run("xprop -id " + id + " WM_STATE");
      if (state.find("Iconic") != std::string::npos) states.push_back("Iconic");
      else if (state.find("Normal") != std::string::npos) states.push_back("Normal");
    }
    return states;
  }

 private:
  kanro::test::BackgroundProcess xvfb_;
  kanro::test::BackgroundProcess wm_;
  std::string display_;
};

class UnattendedStartTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileString("Download", "Programs", "08GooTv,13YahooFm,");
    WriteProfileInt("Download", "Days", 2);
    WriteProfileInt("Download", "WaitSec", 0);
    // The settings were never confirmed: the sheet would open on a normal start.
    options_.env = {{"TMPDIR", tmp_.path().string()}, {"QT_QPA_PLATFORM", "offscreen"}};
    options_.timeoutMs = 60000;
  }

  kanro::test::ProcessResult Start() {
    return RunProcess(kanro::test::BinDir() / "kanro", {"--data-dir", data_.path().string(), "/d"}, options_);
  }

  size_t DataPages() const {
    size_t pages = 0;
    std::error_code error;
    for (fs::directory_iterator it(data_ / "Data", error), end; !error && it != end; it.increment(error))
      pages += it->path().extension() == ".htm";
    return pages;
  }

  kanro::test::ListingServer server_;
  kanro::test::TempDir tmp_{"kanro-unattended"};
  kanro::test::TempDir data_{"kanro-unattended-data"};
  ProcessOptions options_;
};

TEST_F(UnattendedStartTest, ClosesWithStatusZeroAfterACompleteRun) {
  kanro::test::ProcessResult result = Start();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(server_.PagesServed(), 4u);
  EXPECT_EQ(DataPages(), 4u);
}

TEST_F(UnattendedStartTest, ClosesWithANonZeroStatusAfterAFailedRunAndReportsOnStderr) {
  server_.SetStatus(500);
  kanro::test::ProcessResult result = Start();
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.exitCode, -1) << "killed by the timeout: the failed run left the program running";
  EXPECT_NE(result.err.find("kanro:"), std::string::npos) << result.err;
  EXPECT_EQ(DataPages(), 0u);
}

// Under a window manager the window of "/d" is iconic through the whole run,
// also after Qt has made the window anew for the web view's surface.
TEST_F(UnattendedStartTest, StaysMinimisedUnderAWindowManager) {
  WindowManagedDisplay x(tmp_.path());
  if (x.display().empty()) GTEST_SKIP() << "needs Xvfb, openbox, xdotool and xprop";
  // Slow pages keep the run going while the window is looked at.
  server_.SetPageBytes(64 * 1024);
  server_.SetChunkDelayMs(150);
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  ProcessOptions options = options_;
  options.env["QT_QPA_PLATFORM"] = "xcb";
  options.env["DISPLAY"] = x.display();
  kanro::test::BackgroundProcess kanro;
  ASSERT_TRUE(kanro.Start(kanro::test::BinDir() / "kanro", {"--data-dir", data_.path().string(), "/d"}, options));

  bool sawIconic = false;
  std::vector<std::string> normal;
  // Bounded, so a program that never ends fails the test instead of hanging it.
  for (int look = 0; look < 1200 && kanro.Running(); ++look) {
    for (const std::string& state : x.KanroWindowStates()) {
      if (state == "Iconic") sawIconic = true;
      // Mapped normal before it was first iconic would be a flash at most;
      // once iconic it must stay so.
      else if (sawIconic) normal.push_back(state);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(sawIconic) << "the window was never minimised";
  EXPECT_TRUE(normal.empty()) << "shown normally after being minimised";
  EXPECT_EQ(kanro.Wait(1000), 0) << "the run did not end by itself";
  EXPECT_EQ(DataPages(), 1u);
}

}  // namespace
