// Two real kanro processes: the second start hands over to the first and
// ends at once; the first restores and activates its window.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

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

class SingleInstanceTest : public testing::Test {
 protected:
  SingleInstanceTest() {
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
