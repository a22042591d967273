// Active content in listing lines: what goes, what stays byte for byte, and
// tags, comments and values that go on over several lines.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "listing/active_content.h"
#include "sites/sample_pages.h"
#include "support/temp_dir.h"
#include "test_creater.h"

namespace kanro::listing {
namespace {

// Cleans the lines as one page and joins them with "|".
std::string CleanPage(const std::vector<std::string>& lines) {
  ActiveContentFilter filter;
  filter.StartPage();
  std::string out;
  for (std::string line : lines) {
    filter.Clean(line);
    out += (out.empty() ? "" : "|") + line;
  }
  return out;
}
std::string CleanLine(const std::string& line) { return CleanPage({line}); }

TEST(ActiveContentTest, ScriptsFramesHandlersAndDangerousAddressesGo) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<td>a<script>alert(1)</script>b</td>", "<td>ab</td>"},
      {"<td><SCRIPT src=x.js></SCRIPT >c</td>", "<td>c</td>"},
      {"<style>td{}</style><td>", "<td>"},
      {"<img src=\"x.gif\" onerror=\"alert(1)\">", "<img src=\"x.gif\">"},
      {"<a href=\"/p\" ONclick='x()' class=\"t\">T</a>", "<a href=\"/p\" class=\"t\">T</a>"},
      {"<a href=\"/p\"onmouseover=x()>T</a>", "<a href=\"/p\">T</a>"},
      {"<iframe src=\"file:///etc/passwd\">in</iframe>", "in"},
      {"<meta http-equiv=\"refresh\" content=\"0;url=file:///\"><base href=\"file:///\">", ""},
      {"<object data=\"x\"><embed src=\"y\"></object>", ""},
      {"<a href=\"javascript:alert(1)\">T</a>", "<a>T</a>"},
      {"<a href=\" JaVa&#x09;Script&colon;x\">T</a>", "<a>T</a>"},
      {"<a href=&#106;avascript:x>T</a>", "<a>T</a>"},
      {"<a href='vbscript:x'>T</a><img src=\"data:image/png;base64,AA\"><img src=file:///c/x.gif>",
       "<a>T</a><img><img>"},
      // Removing a part must not join the rest into a new tag.
      {"<<script>x</script>img src=y onerror=alert(1)>", "<img src=y>"},
      {"<scr<script></script>ipt>alert(1)", "<scr<script>ipt>alert(1)"},
      // What a browser reads as plain text cannot hide a tag from the check.
      {"<textarea><a title=\"</textarea><img src=x onerror=alert(1)>\"></textarea>",
       "<a title=\"</textarea><img src=x onerror=alert(1)>\">"},
      {"<!-- <a title=\"--><img src=x onerror=alert(1)>\">", "<!-- <a title=\"--><img src=x>\">"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CleanLine(in), out) << in;
}

TEST(ActiveContentTest, OrdinaryMarkupStaysByteForByte) {
  for (const std::string line : {
           "<td class=\"genre_01\" rowspan=\"6\" valign=\"top\"><a href=\"http://x/p/1\"><strong>5:00</strong></a>",
           "<a href=\"prp://watch?ID=0000&TIME=5%3A00&TITLE=A\"><img src=\"../Image/watch.gif\" border=\"0\"></a>",
           "<span style=\"display: none;\">【新】</span> a < b, c > d, on=1 data: x",
           "<!--ch_top--><table><!--/ch_top--><th class=\"hour\"><a name=\"5\">5</a></th>",
           "<td title=\"onion\" class=datalist href=\"files/x\" alt=\"javascript\">",
       })
    EXPECT_EQ(CleanLine(line), line);
}

TEST(ActiveContentTest, TagsCommentsAndElementsOverSeveralLines) {
  // A tag that ends in the next line, with the handler there.
  EXPECT_EQ(CleanPage({"<img src=\"x.gif\"", " onerror=\"alert(1)\" class=\"a\">t"}), "<img src=\"x.gif\"| class=\"a\">t");
  // A value that may still turn into a dangerous address goes as a whole.
  EXPECT_EQ(CleanPage({"<a class=\"c\" href=\"java", "script:x()\">T</a>"}), "<a class=\"c\"|>T</a>");
  EXPECT_EQ(CleanPage({"<a title=\"two", "lines\">T</a>"}), "<a title=\"two|lines\">T</a>");
  // A script going on for lines goes with all of them.
  EXPECT_EQ(CleanPage({"<td>a<script>", "alert(1)", "</script>b</td>"}), "<td>a||b</td>");
  // A comment hides nothing from a browser's point of view, so tags after
  // its end are checked even when it ends in a later line.
  EXPECT_EQ(CleanPage({"<!-- a", "b --><img onload=x()>"}), "<!-- a|b --><img>");
  // Every page starts outside a tag.
  ActiveContentFilter filter;
  filter.StartPage();
  std::string open = "<img src=\"x";
  filter.Clean(open);
  filter.StartPage();
  std::string next = "onload=x()";
  EXPECT_FALSE(filter.Clean(next));
}

// The filter runs last in the line conversion: rules cannot bring active
// content in, and header and data pages are both cleaned.
TEST(ActiveContentTest, RunsAfterTheUserRules) {
  test::TempDir dir;
  app::SetDataDir(dir.path());
  test::WriteAll(dir / "Replace.txt", "<td>\t<td onclick=\"x()\"><script>y()</script>\t1\r\n");
  TestCreater creater;
  EXPECT_EQ(creater.Convert("<td>a</td>"), "<td>a</td>");
}

// Generated pages of every listing type hold nothing the filter removes, so
// their conversion is exactly what it was; a programme cell with active
// content loses it in both pages.
TEST(ActiveContentTest, GeneratedPagesOfEveryTypeAreLeftAlone) {
  for (const char* type : {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm"}) {
    SCOPED_TRACE(type);
    sites::SamplePageOptions options;
    options.typeKey = type;
    options.locationCode = type[0] == 'G' ? "008" : "23";
    const std::string page = sites::GenerateSamplePage(options);
    ActiveContentFilter filter;
    filter.StartPage();
    size_t start = page.find(type[0] == 'G' ? "<!--ch_top-->" : "\t<tr bgcolor");
    ASSERT_NE(start, std::string::npos);
    const size_t end = page.find(type[0] == 'G' ? "<!--ch_bottom-->" : "</td></tr></table>");
    for (size_t next; start < end && (next = page.find('\n', start)) != std::string::npos; start = next + 1) {
      std::string line = page.substr(start, next - start);
      const std::string before = line;
      EXPECT_FALSE(filter.Clean(line)) << before;
    }
  }
}

}  // namespace
}  // namespace kanro::listing
