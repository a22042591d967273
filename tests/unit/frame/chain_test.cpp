// The chain after a download run, driven as the window drives it: results
// arrive while a worker runs, the next worker starts only once it ended.
#include "frame/task_chain.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/messages.h"

namespace {

using kanro::frame::ChainActions;
using kanro::frame::ChainSettings;
using kanro::frame::CTaskChain;
using Worker = CTaskChain::Worker;
using kanro::app::TASK_DOWNLOAD_DONE;
using kanro::app::TASK_FAILED;
using kanro::app::TASK_RANKING;
using kanro::app::TASK_VERSION;

enum class FailAt { Nothing, Download, Ranking, Version };

// Plays one download command through the chain like the window and its
// workers would and writes down what the window was told to do.
class ChainDriver {
 public:
  explicit ChainDriver(ChainSettings settings, FailAt failAt = FailAt::Nothing)
      : settings_(settings), failAt_(failAt) {}

  CTaskChain chain;
  bool minimised = false;

  std::vector<std::string> RunDownload() {
    Start(Worker::Download);
    return trace_;
  }

 private:
  void Start(Worker worker) {
    trace_.push_back(Name(worker));
    chain.WorkerStarted(worker);
    const bool fails = (worker == Worker::Download && failAt_ == FailAt::Download) ||
                       (worker == Worker::Ranking && failAt_ == FailAt::Ranking) ||
                       (worker == Worker::Version && failAt_ == FailAt::Version);
    uintptr_t result = TASK_FAILED;
    if (!fails) result = worker == Worker::Download ? TASK_DOWNLOAD_DONE : worker == Worker::Ranking ? TASK_RANKING : TASK_VERSION;
    Apply(chain.OnResult(result, result == TASK_RANKING || result == TASK_VERSION, settings_, minimised));
    trace_.push_back("ended");
    Apply(chain.OnWorkerEnded());
  }
  void Apply(const ChainActions& a) {
    if (a.searchKeywords) trace_.push_back("search");
    if (a.showRanking) trace_.push_back("show ranking");
    if (a.showVersionResult) trace_.push_back("show version");
    if (a.deleteFile) trace_.push_back("delete file");
    if (a.clearUserVersionCheck) trace_.push_back("clear user check");
    if (a.beep) trace_.push_back("beep");
    if (a.endNetworkWork) trace_.push_back("end");
    if (a.closeProgram) trace_.push_back("close " + std::to_string(a.exitCode));
    if (a.startRanking) Start(Worker::Ranking);
    if (a.startVersionCheck) Start(Worker::Version);
  }
  static std::string Name(Worker worker) {
    switch (worker) {
      case Worker::Download: return "download";
      case Worker::Ranking: return "ranking";
      case Worker::Version: return "version";
      case Worker::None: break;
    }
    return "?";
  }

  ChainSettings settings_;
  FailAt failAt_;
  std::vector<std::string> trace_;
};

using Trace = std::vector<std::string>;

ChainSettings Settings(int maxRank, bool checkVersion) {
  ChainSettings settings;
  settings.maxRank = maxRank;
  settings.checkVersion = checkVersion;
  return settings;
}

TEST(TaskChainTest, EverySettingCombinationRunsItsStepsInOrder) {
  struct Case {
    int maxRank;
    bool checkVersion;
    Trace expected;
  };
  const std::vector<Case> cases = {
      {5, true, {"download", "search", "ended", "ranking", "show ranking", "ended", "version", "show version", "beep", "end", "ended"}},
      {5, false, {"download", "search", "ended", "ranking", "show ranking", "beep", "end", "ended"}},
      {0, true, {"download", "search", "ended", "version", "show version", "beep", "end", "ended"}},
      // Nothing goes to the maker's service: search, beep, end.
      {0, false, {"download", "search", "beep", "end", "ended"}},
      // A negative "MaxRank" counts as 0.
      {-3, false, {"download", "search", "beep", "end", "ended"}},
  };
  for (const Case& c : cases) {
    ChainDriver driver(Settings(c.maxRank, c.checkVersion));
    EXPECT_EQ(driver.RunDownload(), c.expected) << "MaxRank " << c.maxRank << " CheckVersion " << c.checkVersion;
    EXPECT_EQ(driver.chain.Running(), Worker::None);
  }
}

TEST(TaskChainTest, AFailureEndsTheChainAtOnceAtEachStep) {
  EXPECT_EQ(ChainDriver(Settings(5, true), FailAt::Download).RunDownload(), (Trace{"download", "end", "ended"}));
  EXPECT_EQ(ChainDriver(Settings(5, true), FailAt::Ranking).RunDownload(),
            (Trace{"download", "search", "ended", "ranking", "end", "ended"}));
  // A failed version check also forgets that the user asked for it, so a
  // later automatic check does not report "up to date" unasked.
  EXPECT_EQ(ChainDriver(Settings(5, true), FailAt::Version).RunDownload(),
            (Trace{"download", "search", "ended", "ranking", "show ranking", "ended", "version", "clear user check",
                   "end", "ended"}));
  EXPECT_EQ(ChainDriver(Settings(0, true), FailAt::Version).RunDownload(),
            (Trace{"download", "search", "ended", "version", "clear user check", "end", "ended"}));
}

TEST(TaskChainTest, UnattendedRunClosesOnlyWhileMinimisedAndOnlyOnce) {
  {
    ChainDriver driver(Settings(5, true));
    driver.chain.SetUnattended(true);
    driver.minimised = true;
    // No chain: the program ends once the run's thread has ended.
    EXPECT_EQ(driver.RunDownload(), (Trace{"download", "ended", "close 0"}));
    EXPECT_FALSE(driver.chain.Unattended());
    // The flag was one-shot: the next run, still minimised, runs the chain.
    EXPECT_EQ(driver.RunDownload(),
              (Trace{"download", "ended", "close 0", "download", "search", "ended", "ranking", "show ranking", "ended",
                     "version", "show version", "beep", "end", "ended"}));
  }
  {
    // A failed unattended run closes too, with a non-zero status.
    ChainDriver driver(Settings(5, true), FailAt::Download);
    driver.chain.SetUnattended(true);
    driver.minimised = true;
    EXPECT_EQ(driver.RunDownload(), (Trace{"download", "ended", "close 1"}));
  }
  {
    // Restored in the meantime: the result clears the flag, the chain runs.
    ChainDriver driver(Settings(0, false));
    driver.chain.SetUnattended(true);
    EXPECT_EQ(driver.RunDownload(), (Trace{"download", "search", "beep", "end", "ended"}));
    EXPECT_FALSE(driver.chain.Unattended());
  }
}

TEST(TaskChainTest, TheWatchRulesRunAfterEveryCompletedDownloadOnly) {
  const ChainSettings settings = Settings(5, true);
  for (const bool unattended : {false, true}) {
    CTaskChain chain;
    chain.SetUnattended(unattended);
    chain.WorkerStarted(Worker::Download);
    // Also before an unattended close, which skips the keyword pane.
    const ChainActions done = chain.OnResult(TASK_DOWNLOAD_DONE, false, settings, true);
    EXPECT_TRUE(done.applyWatchRules) << unattended;
    EXPECT_EQ(done.searchKeywords, !unattended);
  }
  for (const uintptr_t result : {uintptr_t{TASK_FAILED}, uintptr_t{TASK_RANKING}, uintptr_t{TASK_VERSION}}) {
    for (const bool unattended : {false, true}) {
      CTaskChain chain;
      chain.SetUnattended(unattended);
      chain.WorkerStarted(result == TASK_FAILED ? Worker::Download : Worker::Ranking);
      EXPECT_FALSE(chain.OnResult(result, false, settings, true).applyWatchRules) << result;
    }
  }
}

TEST(TaskChainTest, ACancelStopsTheChainWhereverItComes) {
  const ChainSettings settings = Settings(5, true);
  {
    // Between the run's result and the end of its thread: the ranking
    // never starts, the chain ends with the thread.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Download);
    EXPECT_TRUE(chain.OnResult(TASK_DOWNLOAD_DONE, false, settings, false).searchKeywords);
    chain.Cancel();
    ChainActions ended = chain.OnWorkerEnded();
    EXPECT_FALSE(ended.startRanking);
    EXPECT_TRUE(ended.endNetworkWork);
  }
  {
    // During the run, which completes anyway: its pages are searched, but
    // no request follows.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Download);
    chain.Cancel();
    ChainActions result = chain.OnResult(TASK_DOWNLOAD_DONE, false, settings, false);
    EXPECT_TRUE(result.searchKeywords);
    EXPECT_TRUE(result.endNetworkWork);
    EXPECT_EQ(chain.OnWorkerEnded(), ChainActions{});
  }
  {
    // During a ranking request (Ctrl+D): it fails, and that ends the chain.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Ranking);
    chain.Cancel();
    EXPECT_TRUE(chain.OnResult(TASK_FAILED, false, settings, false).endNetworkWork);
    EXPECT_EQ(chain.OnWorkerEnded(), ChainActions{});
    // The next command starts afresh.
    chain.WorkerStarted(Worker::Ranking);
    EXPECT_TRUE(chain.OnResult(TASK_RANKING, true, settings, false).showRanking);
    EXPECT_TRUE(chain.OnWorkerEnded().startVersionCheck);
  }
}

TEST(TaskChainTest, OddResultsNeverLeaveTheWindowBusyOrAFileBehind) {
  const ChainSettings settings = Settings(5, true);
  {
    // A worker that ends without any result still ends the chain.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Version);
    ChainActions ended = chain.OnWorkerEnded();
    EXPECT_TRUE(ended.endNetworkWork);
    EXPECT_TRUE(ended.clearUserVersionCheck);
  }
  {
    // A ranking without a file goes on with the version check.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Ranking);
    ChainActions result = chain.OnResult(TASK_RANKING, false, settings, false);
    EXPECT_FALSE(result.showRanking);
    EXPECT_FALSE(result.endNetworkWork);
    EXPECT_TRUE(chain.OnWorkerEnded().startVersionCheck);
  }
  {
    // A second result of one worker is dropped; its file is deleted.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Ranking);
    chain.OnResult(TASK_FAILED, false, settings, false);
    ChainActions late = chain.OnResult(TASK_RANKING, true, settings, false);
    EXPECT_FALSE(late.showRanking);
    EXPECT_TRUE(late.deleteFile);
    EXPECT_FALSE(chain.OnWorkerEnded().startVersionCheck);
  }
  {
    // An unknown result ends the chain like a failure.
    CTaskChain chain;
    chain.WorkerStarted(Worker::Download);
    EXPECT_TRUE(chain.OnResult(77, false, settings, false).endNetworkWork);
    EXPECT_FALSE(chain.OnWorkerEnded().startRanking);
  }
}

}  // namespace
