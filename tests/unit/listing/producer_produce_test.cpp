// One page through Produce against the local listing server: what it sends to
// the window and in which order, when it skips, how it waits and cancels, what
// it learns, and what it leaves behind on failure.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "fixtures/download_fixture.h"
#include "listing/html_producer_factory.h"
#include "sites/sample_pages.h"

namespace kanro::listing {
namespace {

using test::RecordedMessage;
using test::RecordingTarget;

class ProducerProduceTest : public test::DownloadFixture {
 protected:
  // A fresh catalogue (so settings are read anew) and its producer for key.
  CHtmlProducer& Producer(const char* key, int prefecture, int year, int month, int day) {
    factory_ = std::make_unique<CHtmlProducerFactory>();
    CHtmlProducer* producer = factory_->Find(key);
    producer->m_hWnd = &window_;
    producer->m_location.SetPrefecture(prefecture);
    producer->m_time = Noon(year, month, day);
    return *producer;
  }

  // The messages without the transfer's position updates.
  std::vector<RecordedMessage> Milestones() const {
    std::vector<RecordedMessage> kept;
    for (const RecordedMessage& m : window_.Messages())
      if (!(m.message == app::UM_PROGRESS && m.lParam == 0)) kept.push_back(m);
    return kept;
  }

  RecordingTarget window_;
  std::unique_ptr<CHtmlProducerFactory> factory_;
};

TEST_F(ProducerProduceTest, FetchesConvertsAndReportsOnePageInOrder) {
  ASSERT_TRUE(Producer("GooTv", 8, 2011, 3, 9).Produce());

  ASSERT_EQ(server_.PageTargets(), std::vector<std::string>{"/contents/epg/008/VHF_1/20110309_0024/index.html"});
  bool refersToItself = false;
  const std::vector<test::ServedRequest> requests = server_.Requests();
  for (const auto& header : requests[0].headers)
    if (header.first == "Referer")
      refersToItself = header.second == server_.BaseUrl() + "/contents/epg/008/VHF_1/20110309_0024/index.html";
  EXPECT_TRUE(refersToItself);

  EXPECT_TRUE(std::filesystem::exists(HeadPage("08GooTv")));
  const std::string page = test::ReadAll(DataPage("2011030908GooTv"));
  EXPECT_NE(page.find(text::Utf8ToCp932("<title>3/9（水）東京都【地上波】</title>")), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 16), "</body></html>\r\n");

  std::vector<RecordedMessage> m = Milestones();
  ASSERT_GE(m.size(), 5u);
  EXPECT_EQ(m[0].message, app::UM_STATUSTEXT);
  EXPECT_EQ(text::Cp932ToUtf8(m[0].text), "3/9（水）東京都【地上波】を取得中");
  // No wait configured: the next message is the expected size, not a count-down.
  EXPECT_EQ(m[1].message, app::UM_PROGRESS);
  EXPECT_EQ(m[1].wParam, 0u);
  EXPECT_EQ(m[1].lParam, 200000);
  const size_t n = m.size();
  EXPECT_EQ(m[n - 3].message, app::UM_PROGRESS);
  EXPECT_EQ(m[n - 3].wParam, 100u);
  EXPECT_EQ(m[n - 3].lParam, 100);
  EXPECT_EQ(m[n - 2].message, app::UM_STATUSTEXT);
  EXPECT_EQ(text::Cp932ToUtf8(m[n - 2].text), "3/9（水）東京都【地上波】を整形中");
  EXPECT_EQ(m[n - 1].message, app::UM_TASKRESULT);
  EXPECT_EQ(m[n - 1].wParam, app::TASK_PAGE_WRITTEN);
  EXPECT_EQ(m[n - 1].text, "2011030908GooTv");
  for (const RecordedMessage& message : window_.Messages()) EXPECT_TRUE(message.sent);
}

TEST_F(ProducerProduceTest, CountsTheCourtesyWaitDownFromWaitSecTimesHundred) {
  WriteProfileInt("Download", "WaitSec", 1);
  ASSERT_TRUE(Producer("YahooAm", 8, 2011, 3, 9).Produce());
  std::vector<RecordedMessage> progress = window_.Messages(app::UM_PROGRESS);
  ASSERT_GE(progress.size(), 102u);
  EXPECT_EQ(progress[0].wParam, 0u);
  EXPECT_EQ(progress[0].lParam, 100);
  for (int i = 1; i <= 100; ++i) {
    EXPECT_EQ(progress[static_cast<size_t>(i)].wParam, static_cast<uintptr_t>(101 - i));
    EXPECT_EQ(progress[static_cast<size_t>(i)].lParam, 0);
  }
  EXPECT_EQ(progress[101].wParam, 0u);
  EXPECT_EQ(progress[101].lParam, 200000);
}

TEST_F(ProducerProduceTest, NegativeWaitSecMeansNoWait) {
  WriteProfileInt("Download", "WaitSec", -5);
  ASSERT_TRUE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  std::vector<RecordedMessage> progress = window_.Messages(app::UM_PROGRESS);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress[0].lParam, 200000);
}

TEST_F(ProducerProduceTest, CancelDuringTheWaitEndsItAtOnceAndFetchesNothing) {
  WriteProfileInt("Download", "WaitSec", 5);
  window_.onSend = [](const RecordedMessage& m) {
    if (m.message == app::UM_PROGRESS && m.wParam == 490) g_bCancel.store(true);
    return intptr_t{0};
  };
  EXPECT_FALSE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  size_t countDown = 0;
  for (const RecordedMessage& m : window_.Messages(app::UM_PROGRESS))
    if (m.lParam == 0) ++countDown;
  EXPECT_EQ(countDown, 11u) << "500 down to 490, then the wait ends";
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_FALSE(std::filesystem::exists(DataPage("2011030908GooTv")));
  EXPECT_EQ(window_.Count(app::UM_TASKRESULT), 0u);
}

TEST_F(ProducerProduceTest, CancelDuringTheTransferFailsAndLeavesNoFiles) {
  test::TempDir temp("kanro-tmp");
  const char* previousTmp = getenv("TMPDIR");
  std::string saved = previousTmp ? previousTmp : "";
  setenv("TMPDIR", temp.path().c_str(), 1);

  server_.SetPageBytes(300000);
  server_.SetChunkDelayMs(10);
  window_.onSend = [](const RecordedMessage& m) {
    if (m.message == app::UM_PROGRESS && m.lParam == 0 && m.wParam >= 8192) g_bCancel.store(true);
    return intptr_t{0};
  };
  const bool produced = Producer("GooTv", 8, 2011, 3, 9).Produce();
  if (previousTmp) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_FALSE(produced);
  EXPECT_EQ(server_.PageTargets().size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(DataPage("2011030908GooTv")));
  EXPECT_FALSE(std::filesystem::exists(HeadPage("08GooTv")));
  EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << "the temporary page is removed";
  EXPECT_TRUE(notifier_.Warnings().empty()) << "a cancel is not an error to report";
}

TEST_F(ProducerProduceTest, SkipsOrFetchesExistingPagesByKeepFreshForceAndOnceADay) {
  const auto dataPage = DataPage("2011030908GooTv");
  const auto headPage = HeadPage("08GooTv");
  test::WriteAll(dataPage, "old data");
  test::WriteAll(headPage, "old header");

  // KeepFresh 0 without force: an existing page is left alone, silently.
  WriteProfileInt("Download", "KeepFresh", 0);
  EXPECT_TRUE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  EXPECT_TRUE(window_.Messages().empty());
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_EQ(test::ReadAll(dataPage), "old data");

  // Force fetches it again, but an existing header page is never rewritten.
  CHtmlProducer& forced = Producer("GooTv", 8, 2011, 3, 9);
  forced.m_bForce = true;
  EXPECT_TRUE(forced.Produce());
  EXPECT_EQ(server_.PageTargets().size(), 1u);
  EXPECT_NE(test::ReadAll(dataPage), "old data");
  EXPECT_EQ(test::ReadAll(headPage), "old header");

  // OnceADay with KeepFresh 1: a page younger than a day stays, an older one is renewed.
  WriteProfileInt("Download", "KeepFresh", 1);
  MakeOlder(dataPage, 23);
  CHtmlProducer& young = Producer("GooTv", 8, 2011, 3, 9);
  young.m_bOnceADay = true;
  EXPECT_TRUE(young.Produce());
  EXPECT_EQ(server_.PageTargets().size(), 1u);

  MakeOlder(dataPage, 25);
  CHtmlProducer& old = Producer("GooTv", 8, 2011, 3, 9);
  old.m_bOnceADay = true;
  EXPECT_TRUE(old.Produce());
  EXPECT_EQ(server_.PageTargets().size(), 2u);

  // KeepFresh 1 without OnceADay always fetches.
  MakeOlder(dataPage, 1);
  EXPECT_TRUE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  EXPECT_EQ(server_.PageTargets().size(), 3u);
}

TEST_F(ProducerProduceTest, LearnsTheAverageOfTheStoredAndTheReceivedSize) {
  server_.SetPageBytes(100000);
  ASSERT_TRUE(Producer("GooUhfBs", 8, 2011, 3, 9).Produce());
  EXPECT_EQ(GetProfileInt("FileSize", "GooUhfBs", 0), 150000);
  EXPECT_EQ(GetProfileInt("FileSize", "YahooFm", -1), -1) << "each type learns its own size";

  window_.Clear();
  ASSERT_TRUE(Producer("GooUhfBs", 8, 2011, 3, 10).Produce());
  std::vector<test::RecordedMessage> progress = window_.Messages(app::UM_PROGRESS);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress[0].lParam, 150000) << "the learned size sets the next range";
  EXPECT_EQ(GetProfileInt("FileSize", "GooUhfBs", 0), 125000);
}

TEST_F(ProducerProduceTest, APageWithoutListingFailsAndKeepsTheGoodPage) {
  sites::SamplePageOptions options;
  options.typeKey = "GooTv";
  server_.ServeBody(sites::SampleTargetFor(options), "<html><body>Service temporarily unavailable</body></html>\n");
  test::WriteAll(DataPage("2011030908GooTv"), "good page");

  EXPECT_FALSE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  EXPECT_EQ(test::ReadAll(DataPage("2011030908GooTv")), "good page");
  EXPECT_EQ(window_.Count(app::UM_TASKRESULT), 0u);
  // No header page without channels either: it would never be written again.
  EXPECT_FALSE(std::filesystem::exists(HeadPage("08GooTv")));
}

TEST_F(ProducerProduceTest, RefusedRequestsAndEmptyBodiesFail) {
  server_.SetStatus(500);
  EXPECT_FALSE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  EXPECT_EQ(notifier_.Warnings().size(), 1u) << "the request routine tells the user";

  server_.SetStatus(200);
  server_.SetEmptyBodies(true);
  EXPECT_FALSE(Producer("GooTv", 8, 2011, 3, 9).Produce());
  EXPECT_FALSE(std::filesystem::exists(DataPage("2011030908GooTv")));
  EXPECT_EQ(GetProfileInt("FileSize", "GooTv", -1), -1) << "nothing learned from nothing";
}

TEST_F(ProducerProduceTest, MissingFoldersAreMadeAgain) {
  std::filesystem::remove_all(app::DataFolder());
  std::filesystem::remove_all(app::HeadFolder());
  EXPECT_TRUE(Producer("YahooAm", 13, 2011, 3, 9).Produce());
  EXPECT_TRUE(std::filesystem::exists(DataPage("2011030913YahooAm")));
  EXPECT_TRUE(std::filesystem::exists(HeadPage("13YahooAm")));
}

}  // namespace
}  // namespace kanro::listing
