// The demo server against the program's own clients: listing pages for any
// date and entry, and the service's answers read as the window reads them.
#include <gtest/gtest.h>

#include <httplib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/messages.h"
#include "app/settings_store.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "net/http_request.h"
#include "net/service_request.h"
#include "sites/sample_pages.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/text_file.h"
#include "view/iepg_file.h"

namespace kanro::demo {
namespace {

namespace fs = std::filesystem;
using app::TASK_RANKING;
using app::TASK_VERSION;
using app::UM_TASKRESULT;

class DemoServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    std::string error;
    ASSERT_TRUE(server_.Start(0, &error)) << error;
    PointAtServer(server_);
    g_bCancel.store(false);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  // Runs a service worker and returns the lines of the file it handed over,
  // read with the program's text reader while the file exists.
  std::vector<std::string> ServiceLines(void (*worker)(app::MessageTarget*), uintptr_t result) {
    test::RecordingTarget target;
    std::vector<std::string> lines;
    bool handed = false;
    target.onSend = [&](const test::RecordedMessage& m) -> intptr_t {
      if (m.message == UM_TASKRESULT && m.wParam == result) {
        handed = true;
        lines = text::ReadLines(m.text).value_or(std::vector<std::string>{});
        fs::remove(m.text);
      }
      return 0;
    };
    worker(&target);
    EXPECT_TRUE(handed);
    return lines;
  }

  DemoServer server_;
};

TEST_F(DemoServerTest, RankingAnswersTheLinesAskedForInTheProgramsCodePage) {
  for (int asked : {3, 10}) {
    WriteProfileInt("Window", "MaxRank", asked);
    std::vector<std::string> lines = ServiceLines(&RankingThread, TASK_RANKING);
    ASSERT_EQ(lines.size(), static_cast<size_t>(asked));
    for (size_t i = 0; i < lines.size(); ++i) {
      std::string utf8 = text::Cp932ToUtf8(lines[i]);
      EXPECT_EQ(text::Utf8ToCp932(utf8), lines[i]) << "CP932 text";
      EXPECT_EQ(utf8.rfind(std::to_string(i + 1) + "位 ", 0), 0u) << utf8;
    }
  }
  // Nonsense counts still get a usable list, never an empty answer (which the
  // program reads as a failure).
  const std::string one = RankingText(0, "20260309");
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 1);
  EXPECT_EQ(RankingText(3, "20260309"), RankingText(3, "20260309"));
}

TEST_F(DemoServerTest, VersionAnswerIsTheProgramsOwnVersionUnlessToldOtherwise) {
  std::vector<std::string> lines = ServiceLines(&VersionThread, TASK_VERSION);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::to_string(OwnVersionNumber()));
  EXPECT_EQ(OwnVersionNumber(), 100) << "1.00";

  server_.SetNewestVersion(OwnVersionNumber() + 5);
  lines = ServiceLines(&VersionThread, TASK_VERSION);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::to_string(OwnVersionNumber() + 5));
  EXPECT_NE(text::Cp932ToUtf8(lines[1]).find("1.05"), std::string::npos) << text::Cp932ToUtf8(lines[1]);
}

TEST_F(DemoServerTest, WatchNotificationsAreAcceptedAndKept) {
  test::TempDir tmp("kanro-demo-watch");
  const std::string query = "ID=0123&TIME=%32%31%3A%30%30&TITLE=%83%6A&WATCH=Y&DATE=20260309";
  int result = HttpRequest(tmp / "answer", {""}, server_.ServiceUrl() + "?" + query, "", nullptr, nullptr, "GET");
  EXPECT_GE(result, 1);
  EXPECT_EQ(server_.WatchNotifications(), std::vector<std::string>{query});
}

TEST_F(DemoServerTest, ServesRealisticPagesForAnyDateAndEntry) {
  httplib::Client client("127.0.0.1", server_.Port());
  sites::SamplePageOptions options;
  options.typeKey = "GooBsDisital";
  options.locationCode = "025";
  options.year = 2031;
  options.month = 12;
  options.day = 31;
  auto goo = client.Get(sites::SampleTargetFor(options).c_str());
  ASSERT_TRUE(goo);
  EXPECT_EQ(goo->status, 200);
  options.realistic = true;
  options.iepgBase = server_.BaseUrl();  // its iEPG links lead back to the demo server
  EXPECT_EQ(goo->body, sites::GenerateSamplePage(options));
  EXPECT_NE(goo->body.find("class=\"desc\""), std::string::npos) << "programmes carry descriptions";
  EXPECT_NE(goo->body.find("href=\"" + server_.BaseUrl() + "/iepg.tvpi?id="), std::string::npos);

  options.typeKey = "YahooFm";
  options.locationCode = "40";
  auto yahoo = client.Get(sites::SampleTargetFor(options).c_str());
  ASSERT_TRUE(yahoo);
  EXPECT_EQ(yahoo->body, sites::GenerateSamplePage(options));
  EXPECT_EQ(client.Get("/nothing/here")->status, 404);
  EXPECT_EQ(client.Get("/")->status, 200);

  // Only real calendar dates have pages.
  options.year = 2011;
  options.month = 2;
  options.day = 30;
  EXPECT_EQ(client.Get(sites::SampleTargetFor(options).c_str())->status, 404);
  options.typeKey = "GooTv";
  EXPECT_EQ(client.Get(sites::SampleTargetFor(options).c_str())->status, 404);
  options.year = 2012;
  options.day = 29;
  EXPECT_EQ(client.Get(sites::SampleTargetFor(options).c_str())->status, 200);
  EXPECT_EQ(client.Post("/kanro/operate.php", "SOMETHING=ELSE", "application/x-www-form-urlencoded")->status, 400);
}

TEST_F(DemoServerTest, ServesTheIepgFilesOfThePagesIepgLinks) {
  httplib::Client client("127.0.0.1", server_.Port());
  sites::SamplePageOptions options;
  options.realistic = true;
  const std::string page = sites::GenerateSamplePage(options);
  const size_t link = page.find("/iepg.tvpi?id=");
  ASSERT_NE(link, std::string::npos);
  const std::string target = page.substr(link, page.find('"', link) - link);

  auto iepg = client.Get(target.c_str());
  ASSERT_TRUE(iepg);
  EXPECT_EQ(iepg->status, 200);
  EXPECT_EQ(iepg->get_header_value("Content-Type").rfind("application/x-tv-program-info", 0), 0u);
  EXPECT_EQ(view::CheckIepgFile(iepg->body), view::IepgCheck::Ok) << iepg->body;
  // The programme of the link: its channel, start time and title.
  const sites::SampleProgramme first = sites::SampleSchedule(options).front();
  const std::string body = text::Cp932ToUtf8(iepg->body);
  EXPECT_NE(body.find("station: " + sites::SampleChannels("GooTv")[static_cast<size_t>(first.channel)] + "\r\n"),
            std::string::npos) << body;
  EXPECT_NE(body.find("program-title: " + first.title + "\r\n"), std::string::npos) << body;
  EXPECT_NE(body.find("year: 2011\r\nmonth: 03\r\ndate: 09\r\n"), std::string::npos) << body;

  EXPECT_EQ(client.Get("/iepg.tvpi?id=2011030901_2500")->status, 404);
  EXPECT_EQ(client.Get("/iepg.tvpi?id=2011023001_2000")->status, 404);
  EXPECT_EQ(client.Get("/iepg.tvpi?id=../../x")->status, 404);
  EXPECT_EQ(client.Get("/iepg.tvpi")->status, 404);
}

TEST(DemoServerLifecycle, BusyPortIsReportedAndStopIsIdempotent) {
  DemoServer first;
  std::string error;
  ASSERT_TRUE(first.Start(0, &error)) << error;
  const int port = first.Port();
  EXPECT_EQ(first.BaseUrl(), "http://127.0.0.1:" + std::to_string(port));
  EXPECT_EQ(first.ServiceUrl(), first.BaseUrl() + "/kanro/operate.php");

  DemoServer second;
  EXPECT_FALSE(second.Start(port, &error));
  EXPECT_NE(error.find(std::to_string(port)), std::string::npos) << error;
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  EXPECT_FALSE(second.Running());
  EXPECT_EQ(second.Port(), 0);
  EXPECT_FALSE(second.Start(70000, &error));

  first.Stop();
  first.Stop();
  EXPECT_EQ(first.Port(), 0);
  EXPECT_FALSE(httplib::Client("127.0.0.1", port).Get("/")) << "stopped servers refuse";
  // The port is free again at once.
  ASSERT_TRUE(second.Start(port, &error)) << error;
  EXPECT_EQ(httplib::Client("127.0.0.1", port).Get("/")->status, 200);
}

TEST(DemoServerLifecycle, StopRightAfterTheStartNeverHangs) {
  // The program may close as soon as it opened; stop must not wait for a
  // listening loop that has not begun.
  for (int i = 0; i < 20; ++i) {
    DemoServer server;
    std::string error;
    ASSERT_TRUE(server.Start(0, &error)) << error;
    server.Stop();
  }
}

}  // namespace
}  // namespace kanro::demo
