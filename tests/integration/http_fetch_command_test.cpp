// kanro-cli fetch end to end against a local server.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <string>
#include <thread>

#include "app/settings_store.h"
#include "support/local_http_server.h"
#include "support/process.h"
#include "support/raw_server.h"
#include "support/temp_dir.h"

namespace {

using kanro::test::BackgroundProcess;
using kanro::test::KanroCliPath;
using kanro::test::LocalHttpServer;
using kanro::test::RawConnection;
using kanro::test::RawServer;
using kanro::test::ProcessOptions;
using kanro::test::ReadAll;
using kanro::test::RunKanroCli;
using kanro::test::TempDir;

class FetchCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    server_.server().Get("/page", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(5000, 'p'), "text/html");
    });
    server_.server().Get("/gone", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/html");
    });
    server_.server().Get("/broken", [](const httplib::Request&, httplib::Response& res) {
      res.status = 500;
      res.set_content("oops", "text/html");
    });
    server_.Start();
    // No proxy from the test's own environment.
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
      options_.env[name] = "";
  }
  void TearDown() override { kanro::app::DeleteAllProfileValues(); }

  TempDir dir_;
  LocalHttpServer server_;
  ProcessOptions options_;
};

TEST_F(FetchCommandTest, SavesTheBodyAndSucceedsForAnyNonEmptyAnswer) {
  auto result = RunKanroCli({"fetch", server_.Url("/page"), (dir_ / "page.htm").string()}, options_);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadAll(dir_ / "page.htm"), std::string(5000, 'p'));
  EXPECT_NE(result.out.find("5000"), std::string::npos) << result.out;
  // Not a terminal: no progress bar drawn.
  EXPECT_EQ(result.err.find('\r'), std::string::npos);

  result = RunKanroCli({"fetch", server_.Url("/gone"), (dir_ / "gone.htm").string()}, options_);
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadAll(dir_ / "gone.htm"), "not here");
}

TEST_F(FetchCommandTest, FailuresExitWithOneAndTheMessage) {
  auto result = RunKanroCli({"fetch", server_.Url("/broken"), (dir_ / "b.htm").string()}, options_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("サーバーの内部エラーです。"), std::string::npos) << result.err;

  WriteProfileInt("Network", "AccessType", 3);
  WriteProfileString("Network", "ProxyAddress", "127.0.0.1");
  WriteProfileString("Network", "ProxyPort", "not-a-port");
  result = RunKanroCli({"fetch", server_.Url("/page"), (dir_ / "p.htm").string()}, options_);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("127.0.0.1:not-a-port"), std::string::npos) << result.err;
}

TEST_F(FetchCommandTest, WrongArgumentsAreAUsageError) {
  auto result = RunKanroCli({"fetch", server_.Url("/page")}, options_);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("fetch URL FILE"), std::string::npos) << result.err;
}

TEST_F(FetchCommandTest, StopSignalsCancelTheTransfer) {
  RawServer stalling([](RawConnection& c) {
    c.Write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(2048, 's'));
    c.StallUntilClosed();
  });
  for (int signal : {SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const size_t before = stalling.Requests().size();
    BackgroundProcess fetch;
    ASSERT_TRUE(fetch.Start(KanroCliPath(), {"fetch", stalling.Url("/"), (dir_ / "s.htm").string()}, options_));
    for (int i = 0; i < 1000 && stalling.Requests().size() == before; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GT(stalling.Requests().size(), before);
    kill(fetch.pid(), signal);
    EXPECT_EQ(fetch.Wait(30000), 1);  // cancelled through its own path, not killed
  }
}

}  // namespace
