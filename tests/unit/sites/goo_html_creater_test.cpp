// The goo converter: whole header and data pages, byte for byte, under every
// combination of RemoveAnchor and GCode with the default rewrite rules.
#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "sites/goo_html_creater.h"
#include "site_creater_fixture.h"

namespace kanro::sites {
namespace {

// A goo-style page (UTF-8 here, EUC-JP on disk): markup outside the listing,
// the channel rows, the head-end marker, an hour row, two programme rows (one
// a new series with an iEPG link, one with a G-code cell), a blank line.
std::vector<std::string> GooPage() {
  const std::vector<std::string> utf8 = {
      "<html><head><title>テレビ番組表</title></head><body>",
      "<div class=\"nav\"><a href=\"/guide/\">ガイド</a></div>",
      "<table class=\"epg\"><!--ch_top-->",
      "<tr><th width=\"60\" align=\"center\">時間</th>",
      "<th align=\"center\" valign=\"middle\" width=\"25%\" class=\"showbg\"><a href=\"/ch/011/\">ＮＨＫ総合</a></th>",
      "<th align=\"center\" valign=\"middle\" width=\"25%\" class=\"showbg\">ﾃﾚﾋﾞ東京</th>"
      "<th align=\"center\" valign=\"middle\" width=\"25%\" class=\"showbg\">ＢＳ</th></tr>",
      "<tr><th class=\"hour\">&nbsp;</th><td>-</td></tr><tr><td>残り</td></tr>",
      "<!--/ch_top-->",
      "<tr><th class=\"epg_td_time\" rowspan=\"60\"><a href=\"/hour/5\">5</a></th>",
      "",
      "<td  class=\"genre_01\" rowspan=\"30\"><a href=\"/program/101/\"><strong>5:00</strong>\t"
      "<img src=\"/tv/img/icon/shinban.gif\" alt=\"新番組\"><strong>朝の<b>ニュース</b>　ﾜｲﾄﾞ</strong></a>"
      "<td align=\"right\"><a href=\"/iepg/101.tvpi\"><img src=\"/tv/img/icon/iepg.gif\" alt=\"iEPG\"></a></td></td>",
      "<td class=\"genre_02\"><a href=\"/program/102/\"><strong>5:30</strong> <strong>天気 &amp; 交通</strong></a> "
      "<td align=\"right\">G 1234</td></td></tr>",
      "  ",
      "<!--ch_bottom--></table>",
      "<p><a href=\"/help/\">ヘルプ</a></p></body></html>",
  };
  std::vector<std::string> euc;
  for (const std::string& line : utf8) euc.push_back(EucJp(line));
  return euc;
}

using GooHtmlCreaterTest = SiteCreaterTest;

TEST_P(GooHtmlCreaterTest, HeaderAndDataPagesAreExact) {
  const bool ra = GetParam().removeAnchor;
  const bool gcode = GetParam().gcode;
  const auto downloaded = WriteDownload(GooPage());
  CGooHtmlCreater creater;
  ASSERT_TRUE(creater.CreateHead(downloaded, dir_ / "08GooTv.htm"));
  ASSERT_TRUE(creater.CreateData(downloaded, dir_ / "2011030908GooTv.htm", title_));

  const std::string host = "http://tv.goo.ne.jp";
  const std::vector<std::string> head = {
      "<table class=\"epg\"><!--ch_top-->",
      "<tr><th class=\"hour\">時間</th>",
      ra ? "<th class=\"channel\">ＮＨＫ総合</th>"
         : "<th class=\"channel\"><a href=\"" + host + "/ch/011/\">ＮＨＫ総合</a></th>",
      // The greedy width pattern takes everything up to the last channel cell.
      "<th class=\"channel\">ＢＳ</th></tr>",
      "<tr><td>残り</td></tr>",
  };
  const std::string watch = "<img src=\"../Image/watch.gif\" border=\"0\"></a>";
  const std::string title1 = "朝の<b>ニュース</b> ワイト゛";
  const std::string iepg = std::string("<td align=\"right\"><a class=\"iepg\" href=\"") + (ra ? "" : host) +
                           "/iepg/101.tvpi\"><img src=\"../Image/iepg.gif\" ></a></td>";
  const std::string programme1 =
      std::string("<td class=\"genre_01\" rowspan=\"30\">") +
      (ra ? "" : "<a href=\"" + host + "/program/101/\">") + "<strong>5:00</strong> <img src=\"../Image/shinban.gif\" ><strong>" +
      title1 + "</strong>" + (ra ? " " : "</a> ") +
      "<a href=\"prp://watch?ID=0000&TIME=5%3A00&TITLE=%92%A9%82%CC%83%6A%83%85%81%5B%83%58+%83%8F%83%43%83%67%81%4A\">" +
      watch + "<span style=\"display: none;\">【新】<strong>" + title1 + "</span>" + (gcode ? iepg : "") + "</td>";
  const std::string programme2 =
      std::string("<td class=\"genre_02\">") + (ra ? "" : "<a href=\"" + host + "/program/102/\">") +
      "<strong>5:30</strong> <strong>天気 &amp; 交通</strong>" + (ra ? " " : "</a> ") +
      "<a href=\"prp://watch?ID=0001&TIME=5%3A30&TITLE=%93%56%8B%43+%26amp%3B+%8C%F0%92%CA\">" + watch +
      (gcode ? " <td align=\"right\">G 1234</td>" : " ") + "</td></tr>";
  std::vector<std::string> data = head;
  for (const std::string& line : {std::string("</thead>"), std::string("<tbody>"), std::string("<!--/ch_top-->"),
                                  std::string("<tr><th class=\"epg_td_time\" rowspan=\"60\"><a name=\"5\">5</a></th>"),
                                  programme1, programme2, std::string(" ")})
    data.push_back(line);

  std::vector<std::string> headSjis, dataSjis;
  for (const auto& line : head) headSjis.push_back(Sjis(line));
  for (const auto& line : data) dataSjis.push_back(Sjis(line));
  EXPECT_EQ(test::ReadAll(dir_ / "08GooTv.htm"), HeadPage(headSjis));
  EXPECT_EQ(test::ReadAll(dir_ / "2011030908GooTv.htm"), DataPage(title_, dataSjis));
}

INSTANTIATE_TEST_SUITE_P(AllSettings, GooHtmlCreaterTest,
                         AllPageSettings(), PageSettingsName());

class GooRewriteTest : public SiteCreaterTest {
 protected:
  // Converts one listing line (UTF-8) as the second line of a data page.
  std::string ConvertOne(const std::string& utf8) {
    const auto downloaded = WriteDownload({"<!--ch_top-->", EucJp(utf8), "<!--ch_bottom-->"});
    CGooHtmlCreater creater;
    EXPECT_TRUE(creater.CreateData(downloaded, dir_ / "page.htm", "t"));
    const std::string page = test::ReadAll(dir_ / "page.htm");
    const size_t start = page.find("<!--ch_top-->\r\n") + 15;
    return text::Cp932ToUtf8(page.substr(start, page.find("\r\n", start) - start));
  }
};

TEST_P(GooRewriteTest, SingleRewrites) {
  const bool ra = GetParam().removeAnchor;
  EXPECT_EQ(ConvertOne("<img src=\"/tv/img/icon/new.gif\">"), "<img src=\"../Image/new.gif\">");
  EXPECT_EQ(ConvertOne("<p><a href=\"/x\">Title</a></p>"),
            ra ? "<p>Title</p>" : "<p><a href=\"http://tv.goo.ne.jp/x\">Title</a></p>");
  // The hour anchor is made before links are removed and so survives.
  EXPECT_EQ(ConvertOne("<tr><th class=\"epg_td_time\"><a href=\"#h\">23</a></th><a href=\"/y\">y</a>"),
            ra ? "<tr><th class=\"epg_td_time\"><a name=\"23\">23</a></th>y"
               : "<tr><th class=\"epg_td_time\"><a name=\"23\">23</a></th><a href=\"http://tv.goo.ne.jp/y\">y</a>");
  // Only at the start of the line.
  EXPECT_EQ(ConvertOne(" <tr><th class=\"epg_td_time\"><a name=\"z\">1</a>"),
            " <tr><th class=\"epg_td_time\"><a name=\"z\">1</a>");
  // The iEPG class is added before the G-code cells go, so with GCode 0 both go.
  EXPECT_EQ(ConvertOne("<td align=\"right\"><a href=\"/i\">i</a></td>|<td align=\"right\">9</td>"),
            GetParam().gcode ? (ra ? "<td align=\"right\"><a class=\"iepg\" href=\"/i\">i</a></td>|<td align=\"right\">9</td>"
                                   : "<td align=\"right\"><a class=\"iepg\" href=\"http://tv.goo.ne.jp/i\">i</a></td>|"
                                     "<td align=\"right\">9</td>")
                             : "|");
}

INSTANTIATE_TEST_SUITE_P(AllSettings, GooRewriteTest,
                         AllPageSettings(), PageSettingsName());

using GooPageStateTest = SiteCreaterTest;

// A page cut off inside the listing must not leave the next page "inside".
TEST_P(GooPageStateTest, EveryPageStartsOutsideTheListing) {
  const auto good = WriteDownload(GooPage(), "good.tmp");
  {
    CGooHtmlCreater fresh;
    ASSERT_TRUE(fresh.CreateHead(good, dir_ / "head-fresh.htm"));
    ASSERT_TRUE(fresh.CreateData(good, dir_ / "data-fresh.htm", title_));
  }
  std::vector<std::string> cut = GooPage();
  cut.resize(9);  // ends after the hour row, without the bottom marker
  const auto truncated = WriteDownload(cut, "cut.tmp");
  CGooHtmlCreater creater;
  // Header page, then data page of the cut page, as a download does it.
  ASSERT_TRUE(creater.CreateHead(truncated, dir_ / "head-cut.htm"));
  ASSERT_TRUE(creater.CreateData(truncated, dir_ / "data-cut.htm", title_));
  const std::string cutData = test::ReadAll(dir_ / "data-cut.htm");
  EXPECT_EQ(cutData.find(Sjis("ガイド")), std::string::npos);
  EXPECT_NE(cutData.find("<a name=\"5\">5</a>"), std::string::npos);
  // The cut page's data page ended inside the listing; the next page is clean.
  ASSERT_TRUE(creater.CreateData(truncated, dir_ / "data-cut.htm", title_));
  ASSERT_TRUE(creater.CreateHead(good, dir_ / "head.htm"));
  ASSERT_TRUE(creater.CreateData(good, dir_ / "data.htm", title_));
  EXPECT_EQ(test::ReadAll(dir_ / "head.htm"), test::ReadAll(dir_ / "head-fresh.htm"));
  EXPECT_EQ(test::ReadAll(dir_ / "data.htm"), test::ReadAll(dir_ / "data-fresh.htm"));
  // A page without markers yields no data page.
  const auto error = WriteDownload({"<html><body>", "<h1>404 Not Found</h1>", "</body></html>"}, "error.tmp");
  EXPECT_FALSE(creater.CreateData(error, dir_ / "data.htm", title_));
  EXPECT_EQ(test::ReadAll(dir_ / "data.htm"), test::ReadAll(dir_ / "data-fresh.htm"));
}

// A table written on one line, both markers in it, is a complete listing
// that ends with that line: the footer after it is no listing line.
TEST_P(GooPageStateTest, ATableOnOneLineIsACompleteListing) {
  std::vector<std::string> lines = GooPage();
  std::string table;
  for (size_t i = 2; i <= 13; ++i) table += lines[i];
  const auto downloaded = WriteDownload({lines[0], lines[1], table, lines[14]});
  CGooHtmlCreater creater;
  creater.RequireCompleteListing(true);
  ASSERT_TRUE(creater.CreateData(downloaded, dir_ / "data.htm", title_)) << creater.FailureReason();
  EXPECT_TRUE(creater.LastListingCheck().Complete());
  const std::string data = test::ReadAll(dir_ / "data.htm");
  EXPECT_NE(data.find("prp://watch?ID=0001&"), std::string::npos);
  EXPECT_EQ(data.find(Sjis("ヘルプ")), std::string::npos);
}

void* ConvertHugeLine(void* arg) {
  auto* fixture = static_cast<std::pair<std::filesystem::path, bool>*>(arg);
  CGooHtmlCreater creater;
  fixture->second = creater.CreateData(fixture->first, fixture->first.parent_path() / "huge.htm", "t");
  return nullptr;
}

// A 200 KB listing line of programme cells converts completely, also on a
// thread with a 1 MB stack.
TEST_P(GooPageStateTest, HugeSingleLineOnASmallStack) {
  std::string cells;
  int count = 0;
  while (cells.size() < 200000) {
    cells += "<td  class=\"genre_01\"><a href=\"/p/" + std::to_string(count) + "\"><strong>5:00</strong> "
             "<strong>番組" + std::to_string(count) + "</strong></a><td align=\"right\">G 1</td></td>";
    ++count;
  }
  auto job = std::make_pair(WriteDownload({"<!--ch_top-->", EucJp(cells), "<!--ch_bottom-->"}), false);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 1 << 20);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, ConvertHugeLine, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  ASSERT_TRUE(job.second);
  const std::string page = test::ReadAll(dir_ / "huge.htm");
  char lastId[32];
  std::snprintf(lastId, sizeof lastId, "ID=%04d&", count - 1);
  EXPECT_NE(page.find(lastId), std::string::npos);
  EXPECT_EQ(page.find("placeholder="), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Defaults, GooPageStateTest, testing::Values(PageSettings{false, false}),
                         PageSettingsName());

}  // namespace
}  // namespace kanro::sites
