// Whole download runs against the local listing server: order of requests and
// messages, the programme list, the day count, cancel, a server that dies in
// the middle, and the state the run leaves behind.
#include <gtest/gtest.h>

#include <thread>

#include "app/listing_time.h"
#include "fixtures/download_fixture.h"
#include "listing/download_thread.h"
#include "sites/sample_pages.h"

namespace kanro::listing {
namespace {

using test::RecordedMessage;
using test::RecordingTarget;

class DownloadRunTest : public test::DownloadFixture {
 protected:
  DOWNLOADPARAM Param(const std::string& programmes, int days) {
    DOWNLOADPARAM param;
    param.days = days;
    param.start = Noon(2011, 3, 9);
    param.window = &window_;
    param.programmes = programmes;
    return param;
  }
  std::vector<std::string> WrittenPages() const {
    std::vector<std::string> names;
    for (const RecordedMessage& m : window_.Messages(app::UM_TASKRESULT))
      if (m.wParam == app::TASK_PAGE_WRITTEN) names.push_back(m.text);
    return names;
  }
  // The final UM_TASKRESULT, which must be the last message of the run.
  RecordedMessage Last() const {
    std::vector<RecordedMessage> all = window_.Messages();
    return all.empty() ? RecordedMessage{} : all.back();
  }

  RecordingTarget window_;
};

TEST_F(DownloadRunTest, WalksDaysThenEntriesAndEndsWithASentCompletion) {
  DOWNLOADPARAM param = Param("08GooTv,13YahooFm,", 3);
  void* busyDuringRun = nullptr;
  window_.onSend = [&](const RecordedMessage& m) {
    if (m.message == app::UM_STATUSTEXT && !busyDuringRun) busyDuringRun = g_pNetBusy.load();
    return intptr_t{0};
  };
  EXPECT_EQ(DownloadThread(&param), 0);

  EXPECT_EQ(server_.PageTargets(),
            (std::vector<std::string>{
                "/contents/epg/008/VHF_1/20110309_0024/index.html",
                "/listings/?&type=normal&a=28&s=1&t=FM&d=20110309&st=5&va=24&vb=1&vc=0&vd=0&ve=1",
                "/contents/epg/008/VHF_1/20110310_0024/index.html",
                "/listings/?&type=normal&a=28&s=1&t=FM&d=20110310&st=5&va=24&vb=1&vc=0&vd=0&ve=1",
                "/contents/epg/008/VHF_1/20110311_0024/index.html",
                "/listings/?&type=normal&a=28&s=1&t=FM&d=20110311&st=5&va=24&vb=1&vc=0&vd=0&ve=1",
            }));
  EXPECT_EQ(WrittenPages(), (std::vector<std::string>{"2011030908GooTv", "2011030913YahooFm", "2011031008GooTv",
                                                      "2011031013YahooFm", "2011031108GooTv", "2011031113YahooFm"}));
  std::vector<std::string> fetching;
  for (const std::string& text : Texts(window_, app::UM_STATUSTEXT, 0))
    if (text.find("を取得中") != std::string::npos) fetching.push_back(text);
  EXPECT_EQ(fetching, (std::vector<std::string>{"3/9（水）東京都【地上波】を取得中", "3/9（水）栃木県【FMラジオ】を取得中",
                                                "3/10（木）東京都【地上波】を取得中", "3/10（木）栃木県【FMラジオ】を取得中",
                                                "3/11（金）東京都【地上波】を取得中", "3/11（金）栃木県【FMラジオ】を取得中"}));

  RecordedMessage last = Last();
  EXPECT_EQ(last.message, app::UM_TASKRESULT);
  EXPECT_EQ(last.wParam, app::TASK_DOWNLOAD_DONE);
  EXPECT_EQ(last.lParam, 0);
  EXPECT_TRUE(last.sent);
  EXPECT_EQ(window_.Count(app::UM_TASKRESULT), 7u);

  EXPECT_NE(busyDuringRun, nullptr);
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(HeadPage("08GooTv")));
  EXPECT_TRUE(std::filesystem::exists(HeadPage("13YahooFm")));
}

TEST_F(DownloadRunTest, ProgrammeListItemsAreTokenizedAndUnknownOnesSkipped) {
  // Quotes are dropped, a backslash takes the next character literally, empty
  // and unknown items find no producer.
  DOWNLOADPARAM param = Param("\"08GooTv\",,99Nothing,\\08YahooAm,x,8,08gootv,\"13,GooUhfBs\",", 1);
  EXPECT_EQ(DownloadThread(&param), 0);
  EXPECT_EQ(WrittenPages(), (std::vector<std::string>{"2011030908GooTv", "2011030908YahooAm"}));
  EXPECT_EQ(Last().wParam, app::TASK_DOWNLOAD_DONE);
}

TEST_F(DownloadRunTest, NothingToDoCompletesAtOnce) {
  for (int days : {0, -3}) {
    window_.Clear();
    DOWNLOADPARAM param = Param("08GooTv,", days);
    EXPECT_EQ(DownloadThread(&param), 0);
    EXPECT_EQ(window_.Messages().size(), 1u);
    EXPECT_EQ(Last().wParam, app::TASK_DOWNLOAD_DONE);
  }
  window_.Clear();
  DOWNLOADPARAM unknown = Param("08Radio,13,", 8);
  EXPECT_EQ(DownloadThread(&unknown), 0);
  EXPECT_EQ(window_.Messages().size(), 1u);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(DownloadRunTest, AHugeDayCountIsCappedAtAMonth) {
  DOWNLOADPARAM param = Param("08GooUhfBs,", 1000);
  EXPECT_EQ(DownloadThread(&param), 0);
  std::vector<std::string> targets = server_.PageTargets();
  ASSERT_EQ(targets.size(), static_cast<size_t>(kMaxDownloadDays));
  EXPECT_EQ(targets.back(), "/contents/epg/008/UHF-BSanalog_1/20110408_0024/index.html");
}

TEST_F(DownloadRunTest, ServerDyingMidRunKeepsTheCompletePagesAndPostsFailure) {
  server_.DieAfter(3);
  DOWNLOADPARAM param = Param("08GooTv,08YahooAm,", 3);
  EXPECT_EQ(DownloadThread(&param), 1);

  EXPECT_EQ(WrittenPages(), (std::vector<std::string>{"2011030908GooTv", "2011030908YahooAm", "2011031008GooTv"}));
  for (const std::string& name : WrittenPages()) {
    std::string page = test::ReadAll(DataPage(name));
    EXPECT_EQ(page.substr(page.size() - 16), "</body></html>\r\n") << name;
  }
  EXPECT_FALSE(std::filesystem::exists(DataPage("2011031008YahooAm")));
  EXPECT_FALSE(std::filesystem::exists(DataPage("2011031108GooTv")));

  RecordedMessage last = Last();
  EXPECT_EQ(last.message, app::UM_TASKRESULT);
  EXPECT_EQ(last.wParam, app::TASK_FAILED);
  EXPECT_FALSE(last.sent) << "a failure is posted";
  for (const RecordedMessage& m : window_.Messages(app::UM_TASKRESULT))
    EXPECT_NE(m.wParam, app::TASK_DOWNLOAD_DONE);
  EXPECT_EQ(server_.PageTargets().size(), 4u) << "nothing is fetched after the failure";
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
}

TEST_F(DownloadRunTest, CancelStopsTheRunAndIsClearedAfterwards) {
  WriteProfileInt("Download", "WaitSec", 1);
  DOWNLOADPARAM param = Param("08GooTv,13GooTv,", 2);
  window_.onSend = [](const RecordedMessage& m) {
    // Ask to stop while the second page counts down.
    if (m.message == app::UM_STATUSTEXT && text::Cp932ToUtf8(m.text).find("栃木県") != std::string::npos)
      g_bCancel.store(true);
    return intptr_t{0};
  };
  EXPECT_EQ(DownloadThread(&param), 1);
  EXPECT_EQ(WrittenPages(), std::vector<std::string>{"2011030908GooTv"});
  EXPECT_EQ(server_.PageTargets().size(), 1u);
  EXPECT_EQ(Last().wParam, app::TASK_FAILED);
  EXPECT_FALSE(g_bCancel.load());
  EXPECT_EQ(g_pNetBusy.load(), nullptr);
}

TEST_F(DownloadRunTest, OnceADayHoldsForTheFirstRunOnly) {
  DOWNLOADPARAM param = Param("08GooTv,", 1);
  param.onceADay = true;
  ASSERT_EQ(DownloadThread(&param), 0);
  EXPECT_FALSE(param.onceADay) << "the run clears the flag";
  ASSERT_EQ(server_.PageTargets().size(), 1u);

  // The page is fresh now: a run with the flag would skip it, the next run fetches.
  DOWNLOADPARAM again = Param("08GooTv,", 1);
  again.onceADay = true;
  ASSERT_EQ(DownloadThread(&again), 0);
  EXPECT_EQ(server_.PageTargets().size(), 1u);
  ASSERT_EQ(DownloadThread(&again), 0);
  EXPECT_EQ(server_.PageTargets().size(), 2u);
}

TEST_F(DownloadRunTest, ARunStartedAfterMidnightBeginsWithTheEarlierListingDay) {
  const int64_t twoAm = app::FromLocalDate(2011, 3, 10, 2, 0, 0);
  app::SetClockForTesting([twoAm] { return twoAm; });
  DOWNLOADPARAM param = Param("08GooBsDisital,", 2);
  param.start = app::GetListingTime();
  ASSERT_EQ(DownloadThread(&param), 0);
  EXPECT_EQ(WrittenPages(), (std::vector<std::string>{"2011030908GooBsDisital", "2011031008GooBsDisital"}));
}

TEST_F(DownloadRunTest, MixedLineEndsAndOddBytesStillGiveCompletePages) {
  sites::SamplePageOptions goo;
  goo.lineEnd = sites::SampleLineEnd::Mixed;
  std::string page = sites::GenerateSamplePage(goo);
  page += "\xA4";  // a lead byte cut off at the very end
  server_.ServeBody(sites::SampleTargetFor(goo), page);
  DOWNLOADPARAM param = Param("08GooTv,", 1);
  ASSERT_EQ(DownloadThread(&param), 0);
  std::string written = test::ReadAll(DataPage("2011030908GooTv"));
  EXPECT_EQ(written.find("\r\r"), std::string::npos);
  EXPECT_EQ(written.substr(written.size() - 16), "</body></html>\r\n");
}

}  // namespace
}  // namespace kanro::listing
