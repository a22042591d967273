// Download runs against servers that answer badly: cut pages never replace
// good ones, header pages are renewed in place, and every failure names its
// page and its reason.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fixtures/download_fixture.h"
#include "listing/download_thread.h"
#include "sites/sample_pages.h"
#include "support/raw_server.h"

namespace kanro::listing {
namespace {

namespace fs = std::filesystem;
using test::RecordedMessage;
using test::RecordingTarget;

// Where a page is cut.
enum class Cut { SixtyPercentWithoutLength, SixtyPercentComplete, InsideTheChannelHeader };

struct Entry {
  const char* entry;  // "08GooTv"
  const char* name;   // the data page of 9 March
};

void PrintTo(const Entry& entry, std::ostream* out) { *out << entry.entry; }

class DownloadFaultsTest : public test::DownloadFixture, public testing::WithParamInterface<Entry> {
 protected:
  DOWNLOADPARAM Param(const std::string& programmes) {
    DOWNLOADPARAM param;
    param.days = 1;
    param.start = Noon(2011, 3, 9);
    param.window = &window_;
    param.programmes = programmes;
    param.force = true;
    return param;
  }
  // Runs a good download of the entry and returns its request target.
  std::string DownloadGood(const std::string& entry) {
    DOWNLOADPARAM param = Param(entry + ",");
    EXPECT_EQ(DownloadThread(&param), 0);
    return server_.PageTargets().back();
  }
  static std::string PageFor(const std::string& target) {
    return sites::GenerateSamplePage(*sites::SampleOptionsForTarget(target));
  }
  static std::string CutPage(const std::string& page, Cut cut) {
    if (cut != Cut::InsideTheChannelHeader) return page.substr(0, page.size() * 6 / 10);
    // goo: after three of the channel cells; Yahoo: inside the station row.
    size_t at = 0;
    for (int cell = 0; cell < 4; ++cell) at = page.find("class=\"showbg\"", at + 1);
    if (at == std::string::npos) at = page.find("<td class=\"station\">", page.find("<td class=\"station\">") + 1);
    return page.substr(0, at);
  }
  // Serves the cut page for the target: either as a complete response or
  // from a raw server that sends no length and closes the connection.
  void ServeCut(const std::string& entry, const std::string& target, Cut cut) {
    const std::string bytes = CutPage(PageFor(target), cut);
    if (cut != Cut::SixtyPercentWithoutLength) {
      server_.ServeBody(target, bytes);
      return;
    }
    raw_ = std::make_unique<test::RawServer>([bytes](test::RawConnection& connection) {
      connection.Write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" + bytes);
    });
    WriteProfileString("URL", entry.substr(2).c_str(), raw_->Url(target));
  }
  std::vector<std::string> StatusTexts() const { return Texts(window_, app::UM_STATUSTEXT, 0); }

  // The run failed on the page, said why in its last status text and in the
  // parameters, and posted the failure as its last message.
  void ExpectFailed(const DOWNLOADPARAM& param, const std::string& page, const std::string& reason) {
    EXPECT_EQ(param.failedPage, page);
    EXPECT_NE(text::Cp932ToUtf8(param.failure).find(reason), std::string::npos) << text::Cp932ToUtf8(param.failure);
    const std::vector<std::string> texts = StatusTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), text::Cp932ToUtf8(param.failure));
    const std::vector<RecordedMessage> all = window_.Messages();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all.back().message, app::UM_TASKRESULT);
    EXPECT_EQ(all.back().wParam, app::TASK_FAILED);
    EXPECT_FALSE(all.back().sent);
  }

  RecordingTarget window_;
  std::unique_ptr<test::RawServer> raw_;
};

TEST_P(DownloadFaultsTest, ACutPageNeverReplacesTheGoodPagesAndFailsTheRun) {
  const std::string entry = GetParam().entry;
  const std::string target = DownloadGood(entry);
  const std::string goodData = test::ReadAll(DataPage(GetParam().name));
  test::WriteAll(HeadPage(entry), "old header");
  ASSERT_FALSE(goodData.empty());

  for (Cut cut : {Cut::SixtyPercentWithoutLength, Cut::SixtyPercentComplete, Cut::InsideTheChannelHeader}) {
    SCOPED_TRACE(static_cast<int>(cut));
    window_.Clear();
    ServeCut(entry, target, cut);
    DOWNLOADPARAM param = Param(entry + ",");
    param.renewHeaders = true;
    EXPECT_EQ(DownloadThread(&param), 1);
    ExpectFailed(param, GetParam().name, "番組表が途中で切れています");
    EXPECT_EQ(test::ReadAll(DataPage(GetParam().name)), goodData);
    EXPECT_EQ(test::ReadAll(HeadPage(entry)), "old header");
    server_.PointSettingsHere();
  }
}

TEST_P(DownloadFaultsTest, ACutPageOnAFreshFolderWritesNothingAndTheNextRunFetchesAgain) {
  const std::string entry = GetParam().entry;
  const std::string target = DownloadGood(entry);
  fs::remove_all(app::DataFolder());
  fs::remove_all(app::HeadFolder());
  for (Cut cut : {Cut::InsideTheChannelHeader, Cut::SixtyPercentComplete}) {
    ServeCut(entry, target, cut);
    DOWNLOADPARAM param = Param(entry + ",");
    param.force = false;
    EXPECT_EQ(DownloadThread(&param), 1);
    EXPECT_FALSE(fs::exists(HeadPage(entry)));
    EXPECT_FALSE(fs::exists(DataPage(GetParam().name)));
  }
  // Channel names and the listing's end but no programme is not a listing.
  std::string channelsOnly = PageFor(target);
  const size_t body = channelsOnly.find(entry.find("Goo") != std::string::npos ? "<!--/ch_top-->" : "\t<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan");
  const size_t end = channelsOnly.find(entry.find("Goo") != std::string::npos ? "<!--ch_bottom-->" : "</td></tr></table>");
  channelsOnly.erase(body, channelsOnly.rfind('\n', end) + 1 - body);
  server_.ServeBody(target, channelsOnly);
  window_.Clear();
  DOWNLOADPARAM empty = Param(entry + ",");
  EXPECT_EQ(DownloadThread(&empty), 1);
  ExpectFailed(empty, GetParam().name, "番組表に番組がありません");
  EXPECT_FALSE(fs::exists(HeadPage(entry)));

  server_.ServeBody(target, PageFor(target));
  DOWNLOADPARAM again = Param(entry + ",");
  again.force = false;
  EXPECT_EQ(DownloadThread(&again), 0);
  EXPECT_TRUE(fs::exists(HeadPage(entry)));
  EXPECT_TRUE(fs::exists(DataPage(GetParam().name)));
}

INSTANTIATE_TEST_SUITE_P(BothSites, DownloadFaultsTest,
                         testing::Values(Entry{"08GooTv", "2011030908GooTv"}, Entry{"13YahooAm", "2011030913YahooAm"}),
                         [](const testing::TestParamInfo<Entry>& entry) { return std::string(entry.param.entry).substr(2); });

TEST_F(DownloadFaultsTest, ActiveContentInTheListingNeverReachesThePages) {
  const std::string target = "/contents/epg/008/VHF_1/20110309_0024/index.html";
  std::string page = PageFor(target);
  // In a channel cell and in a programme cell.
  const size_t channel = page.find("</a></th>");
  page.insert(channel, "<iframe src=\"file:///etc/passwd\"></iframe><meta http-equiv=\"refresh\" content=\"0\">");
  const size_t programme = page.find("</strong></a>", page.find("<!--/ch_top-->"));
  page.insert(programme, "<script>alert(1)</script><img src=\"x.gif\" onerror=\"alert(2)\">"
                         "<a href=\"javascript:alert(3)\">x</a><img src=\"file:///etc/hosts\">");
  server_.ServeBody(target, page);
  DOWNLOADPARAM param = Param("08GooTv,");
  param.renewHeaders = true;
  ASSERT_EQ(DownloadThread(&param), 0) << text::Cp932ToUtf8(param.failure);
  const std::string data = test::ReadAll(DataPage("2011030908GooTv"));
  const std::string head = test::ReadAll(HeadPage("08GooTv"));
  for (const std::string& written : {data, head}) {
    for (const char* active : {"<script", "alert(", "onerror", "<iframe src", "<meta http-equiv=\"refresh", "javascript:",
                               "file:"})
      EXPECT_EQ(written.find(active), std::string::npos) << active;
  }
  // The skeleton's own script stays, and so does the programme.
  EXPECT_NE(data.find("<body onScroll=\"parent.head.document.body.scrollLeft=document.body.scrollLeft;\">"),
            std::string::npos);
  EXPECT_NE(data.find("<img  ><a >x</a><img >"), std::string::npos);
  EXPECT_NE(data.find("prp://watch?ID="), std::string::npos);
}

TEST_F(DownloadFaultsTest, PagesWithLoneCrLineEndsConvertAsWithLf) {
  const std::string target = DownloadGood("08GooTv");
  const std::string data = test::ReadAll(DataPage("2011030908GooTv"));
  const std::string head = test::ReadAll(HeadPage("08GooTv"));
  std::string page = PageFor(target);
  for (char& c : page)
    if (c == '\n') c = '\r';
  server_.ServeBody(target, page);
  DOWNLOADPARAM param = Param("08GooTv,");
  param.renewHeaders = true;
  ASSERT_EQ(DownloadThread(&param), 0) << text::Cp932ToUtf8(param.failure);
  EXPECT_EQ(test::ReadAll(HeadPage("08GooTv")), head);
  EXPECT_EQ(test::ReadAll(DataPage("2011030908GooTv")), data);
}

using HeaderRenewalTest = DownloadFaultsTest;

TEST_F(HeaderRenewalTest, RenewalReplacesEachHeaderOnceAndOnlyWhenItsNewPageIsWritten) {
  for (const char* entry : {"08GooTv", "13YahooAm", "01GooTv"}) test::WriteAll(HeadPage(entry), "old header");

  // The site is down: every header page stays as it was.
  server_.SetStatus(503);
  DOWNLOADPARAM down = Param("08GooTv,13YahooAm,");
  down.renewHeaders = true;
  EXPECT_EQ(DownloadThread(&down), 1);
  for (const char* entry : {"08GooTv", "13YahooAm", "01GooTv"}) EXPECT_EQ(test::ReadAll(HeadPage(entry)), "old header");

  // The site is back: the run's entries get new header pages, once each
  // (the test marks a renewed page and sees that the next day keeps the
  // mark); the entry outside the run keeps its page.
  server_.SetStatus(200);
  DOWNLOADPARAM up = Param("08GooTv,13YahooAm,08GooTv,");
  up.renewHeaders = true;
  up.days = 2;
  std::vector<std::string> headsSeen;
  window_.onSend = [&](const RecordedMessage& m) {
    if (m.message == app::UM_TASKRESULT && m.wParam == app::TASK_PAGE_WRITTEN) {
      const fs::path head = HeadPage(m.text.substr(8));
      const std::string page = test::ReadAll(head);
      headsSeen.push_back(page == "renewed" ? "kept" : page.find("class=\"channel\"") != std::string::npos ? "new" : page);
      test::WriteAll(head, "renewed");
    }
    return intptr_t{0};
  };
  EXPECT_EQ(DownloadThread(&up), 0);
  EXPECT_EQ(headsSeen, (std::vector<std::string>{"new", "new", "kept", "kept", "kept", "kept"}));
  EXPECT_EQ(test::ReadAll(HeadPage("01GooTv")), "old header");
  EXPECT_EQ(server_.PageTargets().size(), 1u + 6u);
}

class FailureReasonTest : public DownloadFaultsTest {
 protected:
  // Runs one GooTv page and checks the run named it and the reason.
  void ExpectReason(const std::string& reason) {
    window_.Clear();
    DOWNLOADPARAM param = Param("08GooTv,");
    EXPECT_EQ(DownloadThread(&param), 1);
    ExpectFailed(param, "2011030908GooTv", reason);
    EXPECT_NE(text::Cp932ToUtf8(param.failure).find("3/9（水）東京都【地上波】"), std::string::npos);
  }
  const std::string target_ = "/contents/epg/008/VHF_1/20110309_0024/index.html";
};

TEST_F(FailureReasonTest, ServerAnswersThatHoldNoListing) {
  // The request routine saves a 404 page like any other; it has no listing.
  server_.SetStatus(404);
  ExpectReason("番組表が見つかりません");
  server_.SetStatus(500);
  ExpectReason("サーバーの内部エラーです。");
  EXPECT_EQ(notifier_.Warnings().size(), 1u) << "the request routine still tells the user";
  server_.SetStatus(200);
  server_.ServeBody(target_, "<html><body>メンテナンス中です</body></html>\n");
  ExpectReason("番組表が見つかりません");
  server_.ServeBody(target_, "");
  ExpectReason("サーバーの応答が空でした");
}

TEST_F(FailureReasonTest, AddressSettingsThatCannotBeRequested) {
  WriteProfileString("URL", "GooTv", "file:///etc/passwd");
  ExpectReason("設定 URL/GooTv のアドレスが http:// または https:// のアドレスではありません");
  WriteProfileString("URL", "GooTv", server_.UrlTemplate("GooTv") + "\r\nX-Injected: 1");
  ExpectReason("設定 URL/GooTv のアドレスに改行などの制御文字が含まれています");
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(FailureReasonTest, MissingOrFullTemporaryFolder) {
  test::TempDir temp("kanro-tmp");
  const char* previous = getenv("TMPDIR");
  const std::string saved = previous ? previous : "";
  setenv("TMPDIR", (temp.path() / "gone").c_str(), 1);
  ExpectReason("に一時ファイルを作成できません");

  // A full disk: writes beyond a few bytes fail.
  setenv("TMPDIR", temp.path().c_str(), 1);
  server_.SetPageBytes(300000);
  struct rlimit before {};
  getrlimit(RLIMIT_FSIZE, &before);
  auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 4096;
  setrlimit(RLIMIT_FSIZE, &small);
  window_.Clear();
  DOWNLOADPARAM param = Param("08GooTv,");
  const int exitCode = DownloadThread(&param);
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, previousHandler);
  if (previous) {
    setenv("TMPDIR", saved.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  EXPECT_EQ(exitCode, 1);
  ExpectFailed(param, "2011030908GooTv", "に書き込めません（空き容量を確認してください）");
  EXPECT_TRUE(fs::is_empty(temp.path()));
}

}  // namespace
}  // namespace kanro::listing
