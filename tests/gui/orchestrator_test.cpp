// The download orchestration with a real Qt event loop, real worker threads,
// the local listing server and a stub of the maker's service. The window is a
// plain recording host.
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/window_target.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/settings_store.h"
#include "fixtures/download_fixture.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;
using kanro::frame::CDownloadOrchestrator;
using kanro::frame::OrchestratorHost;
using kanro::test::ReadAll;

QApplication& App() {
  static int argc = 1;
  static char name[] = "gui_orchestrator_test";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// The window as the orchestration sees it: every call is written down (in
// UTF-8), files handed over are read and deleted as the real window does.
class RecordingHost : public OrchestratorHost {
 public:
  // The event loop waiting for the next call; every call ends it.
  QEventLoop* waiting = nullptr;
  std::vector<std::string> calls;   // everything but progress
  std::vector<std::pair<int, int>> progress;
  std::vector<std::string> rankingTexts;
  std::vector<std::string> versionTexts;
  bool minimised = false;
  int closeExitCode = -1;
  // Runs inside ShowVersionResult, before the file is deleted.
  std::function<void()> duringVersionResult;

  size_t Count(const std::string& call) const { return static_cast<size_t>(std::count(calls.begin(), calls.end(), call)); }
  bool Has(const std::string& call) const { return Count(call) > 0; }

  void SetStatusText(const QString& text) override { Record("status " + text.toStdString()); }
  void SetProgress(int position, int range) override {
    progress.emplace_back(position, range);
    Wake();
  }
  void OnPageWritten(const std::string& pageName) override { Record("page " + pageName); }
  void SearchKeywords() override { Record("search"); }
  void ApplyWatchRules() override { Record("watch rules"); }
  void ShowRanking(const std::string& file) override {
    rankingTexts.push_back(ReadAll(file));
    fs::remove(file);
    Record("ranking");
  }
  void ShowVersionResult(const std::string& file) override {
    versionTexts.push_back(ReadAll(file));
    if (duringVersionResult) duringVersionResult();
    fs::remove(file);
    Record("version");
  }
  void ShowChainTasks() override { Record("chain end"); }
  void HideRankingTask() override { Record("hide ranking task"); }
  bool IsMinimizedForAutoClose() const override { return minimised; }
  void CloseAfterUnattendedRun(int exitCode) override {
    closeExitCode = exitCode;
    Record("close");
  }
  void SetCaptionDescription(const QString& text) override { Record("caption " + text.toStdString()); }
  void SetCaptionText(const QString& text) override { Record("caption text " + text.toStdString()); }
  void Beep() override { Record("beep"); }
  // The busy signal, recorded in order with the calls.
  void BusyChanged() { Record("busy changed"); }

 private:
  void Record(std::string call) {
    calls.push_back(std::move(call));
    Wake();
  }
  void Wake() {
    if (waiting) waiting->quit();
  }
};

// Runs the event loop until the condition holds; false after timeoutMs, so a
// broken orchestration fails the test instead of hanging it.
bool RunUntil(RecordingHost& host, const std::function<bool()>& condition, int timeoutMs = 30000) {
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.start(timeoutMs);
  while (!condition()) {
    if (!deadline.isActive()) return false;
    QEventLoop loop;
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QEventLoop* outer = host.waiting;
    host.waiting = &loop;
    loop.exec();
    host.waiting = outer;
  }
  return true;
}

// Runs the event loop until the orchestrator says it may close; false after
// timeoutMs.
bool WaitForReadyToClose(CDownloadOrchestrator& orchestrator, int timeoutMs = 10000) {
  bool ready = false;
  QEventLoop loop;
  QObject::connect(&orchestrator, &CDownloadOrchestrator::readyToClose, &loop, [&] {
    ready = true;
    loop.quit();
  });
  QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
  loop.exec();
  return ready;
}

// A stand-in for the maker's service: ranking lines and a version answer.
class ServiceStub {
 public:
  ServiceStub() {
    server_.server().Post("/kanro/operate.php", [this](const httplib::Request& request, httplib::Response& response) {
      std::unique_lock lock(mutex_);
      bodies_.push_back(request.body);
      if (request.body.rfind("RANK=", 0) == 0) {
        // A slow ranking answers only when released (or the stub goes).
        stalled_.wait(lock, [&] { return !stallRanking_ || released_; });
        response.set_content("first line\r\nsecond line\r\n", "text/plain");
      } else {
        response.status = versionStatus_;
        response.set_content("999\r\nA newer version\r\n", "text/plain");
      }
    });
    server_.Start();
    setenv("KANRO_SERVICE_URL", server_.Url("/kanro/operate.php").c_str(), 1);
  }
  ~ServiceStub() {
    Release();
    unsetenv("KANRO_SERVICE_URL");
  }
  void StallRanking() {
    std::lock_guard lock(mutex_);
    stallRanking_ = true;
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    stalled_.notify_all();
  }
  std::vector<std::string> Bodies() const {
    std::lock_guard lock(mutex_);
    return bodies_;
  }
  void FailVersionChecks() {
    std::lock_guard lock(mutex_);
    versionStatus_ = 500;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable stalled_;
  bool stallRanking_ = false;
  bool released_ = false;
  kanro::test::LocalHttpServer server_;  // destroyed first, while the rest still exists
  std::vector<std::string> bodies_;
  int versionStatus_ = 200;
};

class OrchestratorTest : public kanro::test::DownloadFixture {
 protected:
  void SetUp() override {
    App();
    DownloadFixture::SetUp();
    WriteProfileInt("Network", "AccessType", 1);
    WriteProfileString("Download", "Programs", "08GooTv,13YahooFm,");
    WriteProfileInt("Download", "Days", 2);
    tmp_ = std::make_unique<kanro::test::TempDir>("kanro-orchestrator-tmp");
    setenv("TMPDIR", tmp_->path().c_str(), 1);
  }
  void TearDown() override {
    orchestrator_.reset();
    unsetenv("TMPDIR");
    DownloadFixture::TearDown();
  }

  CDownloadOrchestrator& Orchestrator() {
    if (!orchestrator_) {
      orchestrator_ = std::make_unique<CDownloadOrchestrator>(host_, nullptr);
      // The busy state reaches the window through this one signal.
      QObject::connect(orchestrator_.get(), &CDownloadOrchestrator::busyChanged, [this] { host_.BusyChanged(); });
    }
    return *orchestrator_;
  }
  bool WaitForChainEnd(int timeoutMs = 30000) {
    return RunUntil(host_, [&] { return host_.Has("chain end") && !Orchestrator().IsBusy(); }, timeoutMs);
  }
  // The calls that belong to the chain, without status, pages and busy state.
  std::vector<std::string> ChainCalls() const {
    std::vector<std::string> chain;
    for (const std::string& call : host_.calls)
      if (call.rfind("status", 0) != 0 && call.rfind("page", 0) != 0 && call != "busy changed") chain.push_back(call);
    return chain;
  }
  size_t TemporaryFilesLeft() const {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(tmp_->path())) count += entry.is_regular_file() ? 1 : 0;
    return count;
  }

  RecordingHost host_;
  ServiceStub service_;
  std::unique_ptr<kanro::test::TempDir> tmp_;
  std::unique_ptr<CDownloadOrchestrator> orchestrator_;
};

using Calls = std::vector<std::string>;

TEST_F(OrchestratorTest, ADownloadWritesItsPagesAndRunsTheWholeChainInOrder) {
  std::vector<bool> busy;
  int started = 0;
  QObject::connect(&Orchestrator(), &CDownloadOrchestrator::busyChanged, [&](bool on) { busy.push_back(on); });
  QObject::connect(&Orchestrator(), &CDownloadOrchestrator::downloadStarted, [&] { ++started; });
  Orchestrator().OnDownload(32001);
  EXPECT_TRUE(Orchestrator().IsBusy());
  EXPECT_EQ(started, 1);
  ASSERT_TRUE(WaitForChainEnd());

  // Four pages (two days, two entries), announced by name, in run order.
  std::vector<std::string> pages;
  for (const std::string& call : host_.calls)
    if (call.rfind("page ", 0) == 0) pages.push_back(call.substr(5));
  const std::string day1 = kanro::app::DateText(kanro::app::GetListingTime());
  const std::string day2 = kanro::app::DateText(kanro::app::GetListingTime() + 86400);
  EXPECT_EQ(pages, (Calls{day1 + "08GooTv", day1 + "13YahooFm", day2 + "08GooTv", day2 + "13YahooFm"}));
  for (const std::string& page : pages) EXPECT_TRUE(fs::exists(DataPage(page))) << page;

  EXPECT_EQ(ChainCalls(), (Calls{"search", "watch rules", "hide ranking task", "ranking", "version", "beep", "chain end"}));
  EXPECT_EQ(service_.Bodies(), (Calls{"RANK=5", "VERSION=CHECK"}));
  EXPECT_EQ(host_.rankingTexts, (Calls{"first line\r\nsecond line\r\n"}));
  EXPECT_EQ(host_.versionTexts, (Calls{"999\r\nA newer version\r\n"}));
  EXPECT_FALSE(Orchestrator().UserVersionCheck());
  // Busy once for the whole chain: no idle moment between its workers.
  EXPECT_EQ(busy, (std::vector<bool>{true, false}));
  // The end switched the progress bar off and cleared the status.
  ASSERT_FALSE(host_.progress.empty());
  EXPECT_EQ(host_.progress.back(), std::make_pair(0, 0));
  EXPECT_EQ(host_.calls[host_.calls.size() - 3], "status ");
  EXPECT_EQ(TemporaryFilesLeft(), 0u);
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
}

TEST_F(OrchestratorTest, MaxRankAndCheckVersionDecideWhichRequestsFollow) {
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  struct Case {
    int maxRank;
    int checkVersion;
    Calls chain;
    Calls requests;
  };
  const std::vector<Case> cases = {
      {10, 0, {"search", "watch rules", "hide ranking task", "ranking", "beep", "chain end"}, {"RANK=10"}},
      {0, 1, {"search", "watch rules", "version", "beep", "chain end"}, {"VERSION=CHECK"}},
      {0, 0, {"search", "watch rules", "beep", "chain end"}, {}},
  };
  size_t requestsBefore = 0;
  for (const Case& c : cases) {
    WriteProfileInt("Window", "MaxRank", c.maxRank);
    WriteProfileInt("Download", "CheckVersion", c.checkVersion);
    host_.calls.clear();
    Orchestrator().OnDownload(32002);
    ASSERT_TRUE(WaitForChainEnd()) << c.maxRank << "/" << c.checkVersion;
    EXPECT_EQ(ChainCalls(), c.chain) << c.maxRank << "/" << c.checkVersion;
    const Calls bodies = service_.Bodies();
    EXPECT_EQ(Calls(bodies.begin() + static_cast<long>(requestsBefore), bodies.end()), c.requests);
    requestsBefore = bodies.size();
  }
}

TEST_F(OrchestratorTest, GarbageSettingsFallBackToSafeValues) {
  WriteProfileInt("Window", "MaxRank", -5);
  WriteProfileInt("Download", "CheckVersion", 0);
  WriteProfileString("Download", "Programs", "99NoSuchType,");
  struct Case {
    const char* days;
    int expected;
  };
  for (const Case& c : {Case{"0", 8}, Case{"-2", 8}, Case{"many", 8}, Case{"1000", 31}, Case{"3", 3}}) {
    WriteProfileString("Download", "Days", c.days);
    host_.calls.clear();
    Orchestrator().OnDownload(32001);
    EXPECT_EQ(Orchestrator().Param().days, c.expected) << c.days;
    ASSERT_TRUE(WaitForChainEnd());
    // A negative "MaxRank" asks nothing of the service.
    EXPECT_EQ(ChainCalls(), (Calls{"search", "watch rules", "beep", "chain end"}));
  }
  EXPECT_TRUE(service_.Bodies().empty());

  // Without a programme list the default entry is fetched.
  kanro::app::DeleteProfileValues("Download", {"Programs", "Days"});
  WriteProfileInt("Download", "Days", 1);
  host_.calls.clear();
  Orchestrator().OnDownload(32001);
  EXPECT_EQ(Orchestrator().Param().programmes, "08GooTv,");
  EXPECT_FALSE(Orchestrator().Param().force);
  EXPECT_FALSE(Orchestrator().Param().renewHeaders);
  ASSERT_TRUE(WaitForChainEnd());
  EXPECT_TRUE(host_.Has("page " + kanro::app::DateText(kanro::app::GetListingTime()) + "08GooTv"));
}

TEST_F(OrchestratorTest, ASecondDownloadCommandCancelsTheRunAndNothingFollows) {
  server_.SetPageBytes(400 * 1024);
  server_.SetChunkDelayMs(20);
  Orchestrator().OnDownload(32001);
  ASSERT_TRUE(RunUntil(host_, [&] { return !host_.progress.empty(); }));

  // While busy, the ranking command is refused instead of starting a second
  // worker.
  EXPECT_FALSE(Orchestrator().StartRanking());
  EXPECT_TRUE(host_.calls.back().rfind("status ", 0) == 0);
  EXPECT_FALSE(Orchestrator().StartVersionCheck(true));

  Orchestrator().OnDownload(32001);
  ASSERT_TRUE(WaitForChainEnd());
  EXPECT_EQ(ChainCalls(), (Calls{"chain end"}));
  EXPECT_TRUE(service_.Bodies().empty());
  EXPECT_LT(server_.PagesServed(), 4u);
  EXPECT_FALSE(g_bCancel.load());
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
}

TEST_F(OrchestratorTest, ADownloadCommandDuringTheRankingRequestCancelsItAndEndsTheChain) {
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  service_.StallRanking();
  Orchestrator().OnDownload(32001);
  ASSERT_TRUE(RunUntil(host_, [&] { return host_.Has("hide ranking task"); }));
  ASSERT_TRUE(RunUntil(host_, [&] { return !service_.Bodies().empty(); }));
  Orchestrator().OnDownload(32001);  // Ctrl+D
  ASSERT_TRUE(WaitForChainEnd());
  EXPECT_EQ(ChainCalls(), (Calls{"search", "watch rules", "hide ranking task", "chain end"}));
  EXPECT_EQ(service_.Bodies(), (Calls{"RANK=5"}));
  EXPECT_TRUE(notifier_.Warnings().empty());
  service_.Release();
}

TEST_F(OrchestratorTest, ClosingDuringASlowRunEndsWithoutAnotherWord) {
  server_.SetPageBytes(400 * 1024);
  server_.SetChunkDelayMs(50);
  Orchestrator().OnDownload(32001);
  ASSERT_TRUE(RunUntil(host_, [&] { return !host_.progress.empty(); }));

  EXPECT_FALSE(Orchestrator().PrepareClose());
  const size_t callsAtClose = host_.calls.size();
  const size_t progressAtClose = host_.progress.size();
  ASSERT_TRUE(WaitForReadyToClose(Orchestrator()));
  EXPECT_FALSE(Orchestrator().IsBusy());
  // Nothing but the busy state reached the window after the close began.
  for (size_t i = callsAtClose; i < host_.calls.size(); ++i) EXPECT_EQ(host_.calls[i], "busy changed");
  EXPECT_EQ(host_.progress.size(), progressAtClose);
  // And nothing starts any more.
  Orchestrator().OnDownload(32001);
  EXPECT_FALSE(Orchestrator().IsBusy());
}

TEST_F(OrchestratorTest, DestroyingTheOrchestratorDuringARunWaitsForTheWorker) {
  server_.SetPageBytes(400 * 1024);
  server_.SetChunkDelayMs(50);
  Orchestrator().OnDownload(32003);
  EXPECT_TRUE(Orchestrator().Param().renewHeaders);
  EXPECT_TRUE(Orchestrator().Param().force);
  ASSERT_TRUE(RunUntil(host_, [&] { return !host_.progress.empty(); }));
  orchestrator_.reset();
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
}

// Shows warnings the way the window does: the worker waits, in a blocking
// call into the application object, until the UI thread has shown them. It
// holds the call back until the test lets it go.
class BlockingNotifier : public kanro::app::Notifier {
 public:
  std::atomic<bool> entered{false};
  std::atomic<bool> go{false};
  std::atomic<int> shown{0};
  void Warn(const std::string&) override {
    entered = true;
    while (!go.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    QMetaObject::invokeMethod(qApp, [this] { ++shown; }, Qt::BlockingQueuedConnection);
  }
};

TEST_F(OrchestratorTest, DestroyingTheOrchestratorServesAWorkerWaitingForAWarning) {
  BlockingNotifier notifier;
  kanro::app::Notifier* previous = kanro::app::SetNotifier(&notifier);
  server_.SetStatus(500);
  Orchestrator().OnDownload(32001);
  {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (notifier.entered.load()) loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
  }
  ASSERT_TRUE(notifier.entered.load());
  // No event loop runs from here on: the warning is queued while the
  // window goes.
  notifier.go = true;
  orchestrator_.reset();
  EXPECT_EQ(notifier.shown.load(), 1);
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
  kanro::app::SetNotifier(previous);
}

TEST_F(OrchestratorTest, ClosingFromAModalBoxInsideAHandlerEnds) {
  WriteProfileInt("Window", "MaxRank", 0);
  // The version verdict opens a "modal box" (a nested event loop), from
  // which the user closes the window: the worker still waiting in its send
  // must be let go, or the window would wait for ever.
  bool readyInsideTheBox = false;
  host_.duringVersionResult = [&] {
    EXPECT_FALSE(Orchestrator().PrepareClose());
    readyInsideTheBox = WaitForReadyToClose(Orchestrator());
  };
  ASSERT_TRUE(Orchestrator().StartVersionCheck(true));
  EXPECT_TRUE(Orchestrator().UserVersionCheck());
  ASSERT_TRUE(RunUntil(host_, [&] { return host_.Has("version"); }));
  EXPECT_TRUE(readyInsideTheBox);
  EXPECT_FALSE(Orchestrator().IsBusy());
  // The handler finished its file; the chain did not go on.
  EXPECT_EQ(TemporaryFilesLeft(), 0u);
  EXPECT_FALSE(host_.Has("beep"));
  EXPECT_FALSE(host_.Has("chain end"));
}

TEST_F(OrchestratorTest, AFailedUserVersionCheckIsForgotten) {
  service_.FailVersionChecks();
  ASSERT_TRUE(Orchestrator().StartVersionCheck(true));
  ASSERT_TRUE(WaitForChainEnd());
  EXPECT_FALSE(Orchestrator().UserVersionCheck());
  EXPECT_FALSE(host_.Has("version"));
  EXPECT_EQ(ChainCalls(), (Calls{"chain end"}));
}

TEST_F(OrchestratorTest, AnUnattendedRunClosesTheProgramOnlyWhileMinimised) {
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  host_.minimised = true;
  Orchestrator().SetUnattendedRun(true);
  Orchestrator().OnDownload(32001);
  ASSERT_TRUE(RunUntil(host_, [&] { return host_.Has("close"); }));
  EXPECT_EQ(host_.closeExitCode, 0);
  EXPECT_FALSE(host_.Has("search"));
  // The watch rules' marks outlast the run, so they are set before it closes.
  EXPECT_TRUE(host_.Has("watch rules"));
  EXPECT_FALSE(Orchestrator().IsBusy());

  // A failed unattended run closes too, with a non-zero status.
  host_.calls.clear();
  server_.SetStatus(500);
  Orchestrator().SetUnattendedRun(true);
  Orchestrator().OnDownload(32002);
  ASSERT_TRUE(RunUntil(host_, [&] { return host_.Has("close"); }));
  EXPECT_NE(host_.closeExitCode, 0);
  EXPECT_FALSE(host_.Has("watch rules"));

  // Restored by the user: the run ends with the chain, the program stays.
  host_.calls.clear();
  server_.SetStatus(200);
  WriteProfileInt("Window", "MaxRank", 0);
  WriteProfileInt("Download", "CheckVersion", 0);
  Orchestrator().SetUnattendedRun(true);
  Orchestrator().UserRestoredWindow();
  Orchestrator().OnDownload(32002);
  ASSERT_TRUE(WaitForChainEnd());
  EXPECT_FALSE(host_.Has("close"));
  EXPECT_TRUE(host_.Has("search"));
}

TEST(WindowTargetTest, SendsAndPostsArriveInOrderAndSendsWaitForTheirHandler) {
  App();
  std::vector<std::string> handled;
  kanro::frame::CWindowTarget target([&](unsigned message, uintptr_t wParam, intptr_t lParam) {
    handled.push_back(std::to_string(message) + "/" + std::to_string(wParam) +
                      (lParam != 0 && message == kanro::app::UM_STATUSTEXT ? " " + std::string(reinterpret_cast<const char*>(lParam)) : ""));
    return intptr_t{7};
  });
  std::atomic<bool> done{false};
  intptr_t answer = 0;
  std::thread worker([&] {
    std::string first = "a";
    answer = target.Send(kanro::app::UM_STATUSTEXT, 0, reinterpret_cast<intptr_t>(first.c_str()));
    first = "overwritten after the send returned";
    target.Post(kanro::app::UM_TASKRESULT, kanro::app::TASK_FAILED, 0);
    target.Send(kanro::app::UM_PROGRESS, 5, 0);
    target.Post(kanro::app::UM_TASKRESULT, kanro::app::TASK_DOWNLOAD_DONE, 0);
    done = true;
  });
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done.load() && handled.size() == 4) loop.quit();
  });
  poll.start(1);
  QTimer::singleShot(30000, &loop, &QEventLoop::quit);
  loop.exec();
  worker.join();
  EXPECT_EQ(answer, 7);
  EXPECT_EQ(handled, (std::vector<std::string>{"1126/0 a", "1124/4", "1125/5", "1124/0"}));

  // Detached, a send from a worker returns at once and deletes a response
  // file nobody will read; nothing reaches the handler any more.
  kanro::test::TempDir dir("kanro-target");
  const std::string file = (dir / "tv-response").string();
  kanro::test::WriteAll(file, "ranking");
  target.Detach();
  std::thread late([&] {
    target.Send(kanro::app::UM_TASKRESULT, kanro::app::TASK_RANKING, reinterpret_cast<intptr_t>(file.c_str()));
    target.Post(kanro::app::UM_TASKRESULT, kanro::app::TASK_FAILED, 0);
  });
  late.join();
  EXPECT_FALSE(fs::exists(file));
  QCoreApplication::processEvents();
  EXPECT_EQ(handled.size(), 4u);
}

TEST_F(OrchestratorTest, FiftyThousandProgressMessagesArePaintedAFewTimes) {
  kanro::app::MessageTarget* target = Orchestrator().Param().window;
  ASSERT_NE(target, nullptr);
  constexpr int kMessages = 50000;
  std::atomic<bool> done{false};
  std::thread sender([&] {
    target->Send(kanro::app::UM_PROGRESS, 0, kMessages);
    for (int i = 1; i <= kMessages; ++i) target->Send(kanro::app::UM_PROGRESS, static_cast<uintptr_t>(i), 0);
    done = true;
    // Wakes the loop below once more.
    target->Send(kanro::app::UM_STATUSTEXT, 0, reinterpret_cast<intptr_t>("done"));
  });
  ASSERT_TRUE(RunUntil(host_, [&] { return done.load() && host_.Has("status done"); }));
  sender.join();
  // The last position is painted once the repaint timer runs.
  ASSERT_TRUE(RunUntil(host_, [&] { return !host_.progress.empty() && host_.progress.back().first == kMessages; }));
  EXPECT_EQ(host_.progress.back(), std::make_pair(kMessages, kMessages));
  EXPECT_LT(host_.progress.size(), 1000u);
}

TEST_F(OrchestratorTest, TheDailyTimerRenewsTheCaptionAt0455) {
  setenv("TZ", "JST-9", 1);
  tzset();
  std::atomic<int64_t> now{kanro::app::FromLocalDate(2026, 3, 10, 4, 54, 59)};
  kanro::app::SetClockForTesting([&] { return now.load(); });
  Orchestrator().StartDailyTimer();
  // At once: the listing day still is 9 March.
  EXPECT_EQ(host_.calls, (Calls{"caption 3/9(月)の視聴予定"}));
  now = kanro::app::FromLocalDate(2026, 3, 10, 4, 55, 0);
  ASSERT_TRUE(RunUntil(host_, [&] { return host_.Has("caption text "); }, 10000));
  EXPECT_EQ(host_.calls, (Calls{"caption 3/9(月)の視聴予定", "caption 3/10(火)の視聴予定", "caption text "}));
  kanro::app::SetClockForTesting({});
  unsetenv("TZ");
  tzset();
}

}  // namespace
