// Two real kanro processes: the second start hands over to the first and
// ends at once; the first restores and activates its window, or, for "/d",
// downloads, while the second's exit status says it downloaded nothing.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::BackgroundProcess;
using kanro::test::ProcessOptions;
using kanro::test::ReadAll;

// Polls a condition for up to 30 s; a broken program fails the test instead
// of hanging it.
template <class Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 3000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// For conditions that start a process each time: a few dozen tries.
template <class Condition>
bool WithinTries(Condition condition) {
  for (int i = 0; i < 40; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return false;
}

class SingleInstanceTest : public testing::Test {
 protected:
  SingleInstanceTest() {
    kanro::app::DeleteAllProfileValues();
    // A private temp folder holds the lock and the socket, so the test never
    // meets a kanro the user is running.
    options_.env = {{"TMPDIR", tmp_.path().string()},
                    {"KANRO_ACTIVATION_LOG", (tmp_ / "activations.log").string()},
                    {"QT_QPA_PLATFORM", "offscreen"}};
  }

  fs::path Kanro() const { return kanro::test::BinDir() / "kanro"; }
  std::vector<std::string> Args(std::vector<std::string> extra = {}) const {
    std::vector<std::string> args = {"--data-dir", data_.path().string()};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  }
  bool FirstIsListening() const {
    return fs::exists(tmp_ / ("kanro-" + std::to_string(getuid()))) && fs::exists(data_ / "index.htm");
  }
  std::string Log() const { return ReadAll(tmp_ / "activations.log"); }

  kanro::test::TempDir tmp_{"kanro-instance"};
  kanro::test::TempDir data_{"kanro-data"};
  ProcessOptions options_;
};

TEST_F(SingleInstanceTest, SecondStartRestoresTheFirstAndEnds) {
  BackgroundProcess first;
  // "/d" starts the first minimised.
  ASSERT_TRUE(first.Start(Kanro(), Args({"/d"}), options_));
  ASSERT_TRUE(Eventually([&] { return FirstIsListening(); }));

  kanro::test::ProcessResult second = kanro::test::RunProcess(Kanro(), Args(), options_);
  EXPECT_EQ(second.exitCode, 0) << second.err;
  ASSERT_TRUE(Eventually([&] { return Log() == "restored\n"; })) << Log();

  // Again, now that the window is up: it is only activated.
  EXPECT_EQ(kanro::test::RunProcess(Kanro(), Args(), options_).exitCode, 0);
  ASSERT_TRUE(Eventually([&] { return Log() == "restored\nactivated\n"; })) << Log();
  EXPECT_TRUE(first.Running());
  first.Stop();
}

TEST_F(SingleInstanceTest, LockOfACrashedInstanceDoesNotBlockTheNextStart) {
  BackgroundProcess crashed;
  ASSERT_TRUE(crashed.Start(Kanro(), Args(), options_));
  ASSERT_TRUE(Eventually([&] { return FirstIsListening(); }));
  crashed.Stop(SIGKILL);  // leaves its lock file and socket behind

  BackgroundProcess next;
  ASSERT_TRUE(next.Start(Kanro(), Args(), options_));
  // The new instance must take over the lock (it names its holder's process
  // id first), not hand over to a ghost; a later start then reaches it.
  ASSERT_TRUE(Eventually([&] {
    std::string lock = ReadAll(tmp_ / ("kanro-" + std::to_string(getuid()) + ".lock"));
    return lock.rfind(std::to_string(next.pid()) + "\n", 0) == 0;
  }));
  ProcessOptions third = options_;
  third.timeoutMs = 20000;
  EXPECT_EQ(kanro::test::RunProcess(Kanro(), Args(), third).exitCode, 0);
  EXPECT_TRUE(Eventually([&] { return Log() == "activated\n"; })) << Log();
  EXPECT_TRUE(next.Running());
  next.Stop();
}

// A cron job's "kanro /d" while the window is open: the window downloads, and
// the job learns that this process did not (status 3, not the 0 of a
// complete run of its own). A window that cannot start a download says why
// and the job fails.
TEST_F(SingleInstanceTest, DownloadStartHandsTheRunToTheRunningWindowAndSaysSoInItsStatus) {
  kanro::test::ListingServer server;
  server.PointSettingsHere();
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  WriteProfileInt("Download", "WaitSec", 0);
  WriteProfileInt("Download", "CheckVersion", 0);
  WriteProfileInt("Window", "MaxRank", 0);
  WriteProfileInt("Window", "TvProgramTypeIndex", 0);  // no first-start sheet
  // The first run is slow, so a second hand-over meets it busy.
  server.SetPageBytes(64 * 1024);
  server.SetChunkDelayMs(300);

  BackgroundProcess first;
  ASSERT_TRUE(first.Start(Kanro(), Args(), options_));
  ASSERT_TRUE(Eventually([&] { return FirstIsListening(); }));
  kanro::test::ProcessResult second;
  // Until its first update the window refuses; then it starts the run.
  ASSERT_TRUE(WithinTries([&] {
    second = kanro::test::RunProcess(Kanro(), Args({"/d"}), options_);
    return second.exitCode != 1;
  })) << second.err;
  EXPECT_EQ(second.exitCode, 3) << second.err;
  EXPECT_NE(second.err.find("この起動ではダウンロードしていません"), std::string::npos) << second.err;
  EXPECT_TRUE(server.WaitForRequests(1));

  // The run goes on: a further "/d" must not cancel it, and fails.
  kanro::test::ProcessResult third = kanro::test::RunProcess(Kanro(), Args({"/d"}), options_);
  EXPECT_EQ(third.exitCode, 1);
  EXPECT_NE(third.err.find("処理中"), std::string::npos) << third.err;
  EXPECT_TRUE(Eventually([&] { return fs::exists(data_ / "Data") && !fs::is_empty(data_ / "Data"); }))
      << "the handed-over run was cancelled";
  EXPECT_TRUE(first.Running());
  first.Stop();
}

// On a fresh profile the settings sheet opens with the window. A stop signal
// then ends the sheet's loop and the program, as closing the window does,
// instead of leaving a process without a window.
TEST_F(SingleInstanceTest, StopSignalDuringTheFirstStartSheetEndsTheProgram) {
  BackgroundProcess first;
  ASSERT_TRUE(first.Start(Kanro(), Args(), options_));
  ASSERT_TRUE(Eventually([&] { return FirstIsListening(); }));
  // The sheet is up once the window answers that a dialog waits.
  kanro::test::ProcessResult probe;
  ASSERT_TRUE(WithinTries([&] {
    probe = kanro::test::RunProcess(Kanro(), Args({"/d"}), options_);
    return probe.err.find("ダイアログ") != std::string::npos;
  })) << probe.err;
  EXPECT_EQ(probe.exitCode, 1);

  ::kill(first.pid(), SIGTERM);
  EXPECT_EQ(first.Wait(30000), 0) << "the process stayed in the sheet's loop";
}

TEST_F(SingleInstanceTest, UnusableDataFolderIsReportedBeforeAnyWindow) {
  kanro::test::WriteAll(data_ / "plain-file", "x");
  // The reason goes to stderr, then a modal message box waits for the user;
  // nobody answers it here, so the run is cut short after a while.
  ProcessOptions options = options_;
  options.timeoutMs = 4000;
  kanro::test::ProcessResult result =
      kanro::test::RunProcess(Kanro(), {"--data-dir", (data_ / "plain-file").string()}, options);
  EXPECT_NE(result.err.find("cannot be used"), std::string::npos) << result.err;
  EXPECT_NE(result.exitCode, 0);
  EXPECT_FALSE(fs::exists(data_ / "plain-file" / "index.htm"));
}

}  // namespace
