// Random bytes around the markers the converters look for: every page either
// converts into a complete page or fails cleanly, never crashes or hangs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "site_creater_fixture.h"
#include "sites/goo_html_creater.h"
#include "sites/yahoo_html_creater.h"

namespace kanro::sites {
namespace {

// Pieces that steer random lines into the converters' interesting paths.
const std::vector<std::string> kPieces = {
    "<!--ch_top-->", "<!--ch_bottom-->", "<!--/ch_top-->", "\t<tr bgcolor = \"#FFFFFF\">", "</td></tr></table>",
    "<td ", "<strong>", "</strong></a>", "<a href=\"/x\">", "</a>", "placeholder=\"TIME=", "&TITLE=",
    "end_of_placeholder\"", "<td align=\"right\">", "</td>", "<th width=\"", "\" align=\"center\">",
    "<td class=\"scroller\" rowspan='60'", "shinban.gif", "alt=\"", "\r", "\t", " ", "\x8E", "\x8F", "\xA4",
    "\xE3\x81", "\xFF", std::string(1, '\0'), "\xF0\x9F\x98\x80", "\xEF\xBB\xBF"};

std::string RandomPage(std::mt19937& random) {
  std::string page;
  const int lines = static_cast<int>(random() % 60);
  for (int line = 0; line < lines; ++line) {
    const int parts = static_cast<int>(random() % 12);
    for (int part = 0; part < parts; ++part) {
      if (random() % 3 == 0)
        page += static_cast<char>(random() % 256);
      else
        page += kPieces[random() % kPieces.size()];
    }
    page += random() % 2 ? "\n" : "\r\n";
  }
  return page;
}

using CreaterRobustnessTest = SiteCreaterTest;

TEST_P(CreaterRobustnessTest, RandomPagesConvertCompletelyOrNotAtAll) {
  std::mt19937 random(20110309);
  CGooHtmlCreater goo;
  CYahooHtmlCreater yahoo;
  const std::string end = "</body></html>\r\n";
  for (int round = 0; round < 300; ++round) {
    test::WriteAll(dir_ / "page.tmp", RandomPage(random));
    listing::CHtmlCreater& creater = round % 2 ? static_cast<listing::CHtmlCreater&>(yahoo) : goo;
    std::filesystem::remove(dir_ / "data.htm");
    creater.CreateHead(dir_ / "page.tmp", dir_ / "head.htm");
    if (creater.CreateData(dir_ / "page.tmp", dir_ / "data.htm", "t")) {
      const std::string written = test::ReadAll(dir_ / "data.htm");
      ASSERT_GE(written.size(), end.size());
      EXPECT_EQ(written.substr(written.size() - end.size()), end);
    } else {
      EXPECT_FALSE(std::filesystem::exists(dir_ / "data.htm"));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllSettings, CreaterRobustnessTest, AllPageSettings(), PageSettingsName());

}  // namespace
}  // namespace kanro::sites
