// The ranking and version requests against a local stub of the maker's
// service, run on a worker thread as the window runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "app/settings_store.h"
#include "net/service_request.h"
#include "support/local_http_server.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

using kanro::app::TASK_FAILED;
using kanro::app::TASK_RANKING;
using kanro::app::TASK_VERSION;
using kanro::app::UM_PROGRESS;
using kanro::app::UM_TASKRESULT;
using kanro::test::LocalHttpServer;
using kanro::test::ReadAll;
using kanro::test::RecordedMessage;
using kanro::test::RecordingNotifier;
using kanro::test::RecordingTarget;
using kanro::test::TempDir;
namespace fs = std::filesystem;

struct StubCall {
  std::string method;
  std::string contentType;
  std::string body;
};

class ServiceRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    WriteProfileInt("Network", "AccessType", 1);
    fs::create_directories(tmp_);
    setenv("TMPDIR", tmp_.c_str(), 1);
    g_bCancel.store(false);

    server_.server().Post("/kanro/operate.php", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      calls_.push_back({req.method, req.get_header_value("Content-Type"), req.body});
      res.status = status_;
      res.set_content(response_, "text/plain");
    });
    server_.Start();
    setenv("KANRO_SERVICE_URL", server_.Url("/kanro/operate.php").c_str(), 1);

    // The window's handler: read the file, note what it saw, delete it.
    target_.onSend = [this](const RecordedMessage& m) {
      if (m.message == UM_TASKRESULT) {
        std::lock_guard lock(mutex_);
        handedPath_ = m.text;
        handedContent_ = ReadAll(m.text);
        busyDuringHandler_ = g_pNetBusy.load() != nullptr;
        fs::remove(m.text);
      }
      return intptr_t{0};
    };
  }
  void TearDown() override {
    unsetenv("TMPDIR");
    unsetenv("KANRO_SERVICE_URL");
    g_bCancel.store(false);
    kanro::app::DeleteAllProfileValues();
  }

  // Runs a worker procedure on its own thread, as the window does.
  void RunWorker(void (*procedure)(kanro::app::MessageTarget*)) {
    std::thread worker(procedure, &target_);
    worker.join();
    EXPECT_EQ(g_pNetBusy.load(), nullptr);
    EXPECT_FALSE(g_bCancel.load());
  }

  std::vector<StubCall> Calls() {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  std::vector<fs::path> LeftoverFiles() const {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(tmp_)) files.push_back(entry.path());
    return files;
  }

  TempDir dir_;
  fs::path tmp_ = dir_ / "tmp";
  LocalHttpServer server_;
  RecordingTarget target_;
  RecordingNotifier notifier_;
  std::mutex mutex_;
  std::vector<StubCall> calls_;
  int status_ = 200;
  std::string response_;
  std::string handedPath_;
  std::string handedContent_;
  bool busyDuringHandler_ = false;
};

TEST_F(ServiceRequestTest, RankingPostsMaxRankAndHandsTheResponseFileOver) {
  response_ = kanro::text::Utf8ToCp932("1\tニュース\r\n2\tドラマ\r\n");
  WriteProfileInt("Window", "MaxRank", 10);
  RunWorker(RankingThread);

  auto calls = Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].method, "POST");
  EXPECT_EQ(calls[0].body, "RANK=10");
  EXPECT_EQ(calls[0].contentType, "application/x-www-form-urlencoded");

  auto messages = target_.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages.front().message, UM_PROGRESS);
  EXPECT_EQ(messages.front().wParam, 0u);
  EXPECT_EQ(messages.front().lParam, 80);
  const RecordedMessage& last = messages.back();
  EXPECT_EQ(last.message, UM_TASKRESULT);
  EXPECT_EQ(last.wParam, TASK_RANKING);
  EXPECT_TRUE(last.sent);
  for (const auto& m : messages) EXPECT_TRUE(m.sent);
  EXPECT_EQ(target_.Count(UM_TASKRESULT), 1u);

  EXPECT_EQ(handedContent_, response_);
  EXPECT_EQ(fs::path(handedPath_).parent_path(), tmp_);
  // Named after this process, so a start-up after a crash can clear it away.
  EXPECT_EQ(fs::path(handedPath_).filename().string().substr(0, 3 + std::to_string(getpid()).size()),
            "tv" + std::to_string(getpid()) + "-");
  EXPECT_TRUE(busyDuringHandler_);
  EXPECT_TRUE(LeftoverFiles().empty());  // the handler deleted it
}

TEST_F(ServiceRequestTest, VersionCheckPostsItsBody) {
  response_ = "123\r\nA new version is out.\r\n";
  RunWorker(VersionThread);

  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].body, "VERSION=CHECK");
  auto progress = target_.Messages(UM_PROGRESS);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress[0].lParam, 24);
  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].wParam, TASK_VERSION);
  EXPECT_EQ(handedContent_, response_);
}

TEST_F(ServiceRequestTest, DefaultRankAndANotFoundPageStillCountAsAnswers) {
  status_ = 404;
  response_ = "no ranking today";
  RunWorker(RankingThread);
  ASSERT_EQ(Calls().size(), 1u);
  EXPECT_EQ(Calls()[0].body, "RANK=5");
  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].wParam, TASK_RANKING);
  EXPECT_EQ(handedContent_, "no ranking today");
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(ServiceRequestTest, NoResponseFileOutlivesTheRequest) {
  // An empty answer fails.
  response_ = "";
  RunWorker(RankingThread);
  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].wParam, TASK_FAILED);
  EXPECT_EQ(results[0].lParam, 0);
  EXPECT_FALSE(results[0].sent);
  EXPECT_TRUE(LeftoverFiles().empty());

  // A handler that leaves the file, or no window at all.
  response_ = "1\tnews\r\n";
  target_.onSend = nullptr;
  RunWorker(RankingThread);
  EXPECT_TRUE(LeftoverFiles().empty());
  EXPECT_TRUE(RequestToService(kanro::net::ServiceUrl(), "RANK=5", TASK_RANKING, nullptr));
  EXPECT_TRUE(LeftoverFiles().empty());
}

TEST_F(ServiceRequestTest, AnswerOverTheServiceCapFails) {
  response_ = std::string(64 * 1024 + 1, 'r');
  RunWorker(RankingThread);
  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].wParam, TASK_FAILED);
  EXPECT_EQ(notifier_.WarningsUtf8(),
            std::vector<std::string>{server_.Url("/kanro/operate.php") +
                                     " の応答が大きすぎるため受信を中止しました（上限 64 KB）。"});
  EXPECT_TRUE(LeftoverFiles().empty());
}

TEST_F(ServiceRequestTest, ServerErrorsAndCancelsArePostedAsFailures) {
  status_ = 500;
  response_ = "broken";
  RunWorker(VersionThread);
  EXPECT_EQ(notifier_.WarningsUtf8(), std::vector<std::string>{"サーバーの内部エラーです。"});

  status_ = 200;
  g_bCancel.store(true);  // a cancel that arrives before the request ends it silently
  RunWorker(RankingThread);

  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 2u);
  for (const auto& r : results) {
    EXPECT_EQ(r.wParam, TASK_FAILED);
    EXPECT_FALSE(r.sent);
  }
  EXPECT_EQ(notifier_.Warnings().size(), 1u);
}

TEST_F(ServiceRequestTest, NoTemporaryFileMeansNoRequestAndAFailure) {
  setenv("TMPDIR", (dir_ / "missing").c_str(), 1);
  response_ = "ranking";
  RunWorker(RankingThread);
  EXPECT_TRUE(Calls().empty());
  auto results = target_.Messages(UM_TASKRESULT);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].wParam, TASK_FAILED);
  EXPECT_FALSE(results[0].sent);
}

TEST(ServiceUrlTest, EnvironmentOverridesTheBuiltInAddress) {
  unsetenv("KANRO_SERVICE_URL");
  EXPECT_EQ(kanro::net::ServiceUrl(), "http://kanro.tsuki-soft.example/kanro/operate.php");
  setenv("KANRO_SERVICE_URL", "", 1);
  EXPECT_EQ(kanro::net::ServiceUrl(), kanro::net::kDefaultServiceUrl);
  setenv("KANRO_SERVICE_URL", "http://127.0.0.1:9/kanro/operate.php", 1);
  EXPECT_EQ(kanro::net::ServiceUrl(), "http://127.0.0.1:9/kanro/operate.php");
  unsetenv("KANRO_SERVICE_URL");
}

}  // namespace
