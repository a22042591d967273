// The Yahoo converter: whole header and data pages, byte for byte, under every
// combination of RemoveAnchor and GCode with the default rewrite rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sites/yahoo_html_creater.h"
#include "site_creater_fixture.h"

namespace kanro::sites {
namespace {

// A Yahoo-style page in UTF-8: a station row, the head-end row with the first
// hour cell and a hidden programme, a programme with nested links, an hour
// header cell, the closing line, markup before and after.
const std::vector<std::string> kYahooPage = {
    "<html><head><meta charset=\"UTF-8\"></head><body>",
    "<table class=\"listing\" border=\"0\">",
    "<td class=\"station\">outside</td>",
    "\t<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='2'>時</td><td class=\"station\">ＮＨＫ第１</td>"
    "<td class=\"station\"><a href=\"/station/jolk/\">ＴＢＳラジオ</a></td></tr>",
    "\t<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='60' width='1%' align='center'>5</td>"
    "<td valign='top' class=n rowspan='15'><span class=\"detail\"><span class=\"time\">5:00</span> "
    "<a class=\"title\">ラジオ深夜便①</a>&nbsp;</span></td>",
    "",
    "<td valign='top'><span class=\"detail\"><span class=\"time\">5:30</span><a class=\"title\">朝の"
    "<a href=\"/pg/1\">ﾆｭｰｽ</a></a>&nbsp;</span>\t<a href=\"/program/2/\">詳細</a></td></tr>",
    "<td class=\"scroller\" colspan=\"2\">6\xF0\x9F\x98\x80</td>",
    "</td></tr></table>",
    "<p><a href=\"/about/\">about</a></p></body></html>",
};

using YahooHtmlCreaterTest = SiteCreaterTest;

TEST_P(YahooHtmlCreaterTest, HeaderAndDataPagesAreExact) {
  const bool ra = GetParam().removeAnchor;
  const auto downloaded = WriteDownload(kYahooPage);
  CYahooHtmlCreater creater;
  ASSERT_TRUE(creater.CreateHead(downloaded, dir_ / "13YahooAm.htm"));
  ASSERT_TRUE(creater.CreateData(downloaded, dir_ / "2011030913YahooAm.htm", title_));

  const std::string host = "http://tv.yahoo.co.jp";
  const std::string stations =
      " <tr><th class=\"hour\" rowspan='2'>時</th><th class=\"channel\">ＮＨＫ第１</th><th class=\"channel\">" +
      (ra ? "ＴＢＳラジオ" : "<a href=\"" + host + "/station/jolk/\">ＴＢＳラジオ</a>") + "</th></tr>";
  const std::vector<std::string> data = {
      stations,
      "</thead>",
      "<tbody>",
      " <tr><td class=\"epg_td_time\" rowspan='60'><a name=\"5\">5</a></td>"
      "<td valign='top' class=\"genre_XX\" style=\"display: none;\" rowspan='15'>"
      "<strong>5:00</strong> <strong>ラジオ深夜便①</strong></td>",
      "<td valign='top' class=\"genre_XX\"><strong>5:30</strong><strong>朝の" +
          (ra ? "ﾆｭｰｽ</strong> 詳細"
              : "<a href=\"" + host + "/pg/1\">ﾆｭｰｽ</a></strong> <a href=\"" + host + "/program/2/\">詳細</a>") +
          "</td></tr>",
      // A character CP932 cannot hold becomes "?".
      "<th class=\"hour\" colspan=\"2\">6?</th>",
  };
  std::vector<std::string> dataSjis;
  for (const auto& line : data) dataSjis.push_back(Sjis(line));
  EXPECT_EQ(test::ReadAll(dir_ / "13YahooAm.htm"), HeadPage({Sjis(stations)}));
  EXPECT_EQ(test::ReadAll(dir_ / "2011030913YahooAm.htm"), DataPage(title_, dataSjis));
}

INSTANTIATE_TEST_SUITE_P(AllSettings, YahooHtmlCreaterTest, AllPageSettings(), PageSettingsName());

using YahooPageStateTest = SiteCreaterTest;

TEST_P(YahooPageStateTest, RegionMarkersAndPageStart) {
  CYahooHtmlCreater creater;
  // A line with both markers is no listing line and leaves the region closed.
  const auto both = WriteDownload({"\t<tr bgcolor = \"#FFFFFF\"><td>x</td></tr></table>", "<td>after</td>"}, "both.tmp");
  EXPECT_FALSE(creater.CreateData(both, dir_ / "both.htm", "t"));
  // A page whose table never closes, then a page with a stray cell before its
  // table: the stray cell stays out.
  const auto open = WriteDownload({"\t<tr bgcolor = \"#FFFFFF\"><td>open</td>"}, "open.tmp");
  ASSERT_TRUE(creater.CreateData(open, dir_ / "open.htm", "t"));
  const auto next = WriteDownload({"<td>stray</td>", "\t<tr bgcolor = \"#FFFFFF\"><td>row</td>", "</td></tr></table>"},
                                  "next.tmp");
  ASSERT_TRUE(creater.CreateData(next, dir_ / "next.htm", "t"));
  EXPECT_EQ(test::ReadAll(dir_ / "next.htm"), DataPage("t", {" <tr><td>row</td>"}));
  // Yahoo pages carry no watch placeholders, so no watch links either.
  EXPECT_EQ(test::ReadAll(dir_ / "open.htm"), DataPage("t", {" <tr><td>open</td>"}));
}

TEST_P(YahooPageStateTest, BrokenUtf8AndZeroBytes) {
  CYahooHtmlCreater creater;
  const auto page = WriteDownload(
      {"\t<tr bgcolor = \"#FFFFFF\">", std::string("<td>a\xE3\x81</td>"), std::string("<td>b\0c</td>", 12),
       "</td></tr></table>"});
  ASSERT_TRUE(creater.CreateData(page, dir_ / "page.htm", "t"));
  const std::string written = test::ReadAll(dir_ / "page.htm");
  // The invalid sequence becomes a replacement that CP932 shows as "?"; a
  // line ends at a zero byte.
  EXPECT_NE(written.find(" <tr>\r\n<td>a?</td>\r\n<td>b\r\n</tbody>"), std::string::npos) << written;
}

INSTANTIATE_TEST_SUITE_P(Defaults, YahooPageStateTest, testing::Values(PageSettings{false, false}),
                         PageSettingsName());

}  // namespace
}  // namespace kanro::sites
