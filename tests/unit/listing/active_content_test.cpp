// Active content in listing lines: what goes, what stays byte for byte, and
// what a line leaves open for the lines and the page markup after it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/paths.h"
#include "listing/active_content.h"
#include "sites/sample_pages.h"
#include "support/temp_dir.h"
#include "test_creater.h"
#include "text/text_file.h"

namespace kanro::listing {
namespace {

// Cleans the lines as listing lines of one page, as the composer writes them
// (each with its line end), and joins the result with "|" for the line ends.
// A "@" line stands for markup of the page's own between them.
std::string CleanPage(const std::vector<std::string>& lines) {
  ActiveContentFilter filter;
  filter.StartPage();
  std::string out;
  for (const std::string& line : lines) {
    if (line == "@") {
      filter.Seal();
      out += "@|";
      continue;
    }
    filter.Listing(line + "\n", out);
  }
  filter.Seal();
  for (char& c : out)
    if (c == '\n') c = '|';
  if (!out.empty() && out.back() == '|') out.pop_back();
  return out;
}
std::string CleanLine(const std::string& line) { return CleanPage({line}); }

TEST(ActiveContentTest, ScriptsFramesHandlersAndDangerousAddressesGo) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<td>a<script>alert(1)</script>b</td>", "<td>ab</td>"},
      {"<td><SCRIPT src=x.js></SCRIPT >c</td>", "<td>c</td>"},
      {"<style>td{}</style><td>", "<td>"},
      {"<img src=\"../Image/x.gif\" onerror=\"alert(1)\">", "<img src=\"../Image/x.gif\" >"},
      {"<a href=\"/p\" ONclick='x()' class=\"t\">T</a>", "<a href=\"/p\"  class=\"t\">T</a>"},
      {"<a href=\"/p\"onmouseover=x()>T</a>", "<a href=\"/p\">T</a>"},
      {"<iframe src=\"file:///etc/passwd\">in</iframe>", "in"},
      {"<meta http-equiv=\"refresh\" content=\"0;url=file:///\"><base href=\"file:///\">", ""},
      {"<object data=\"x\"><embed src=\"y\"></object>", ""},
      {"<form action=\"http://x/\"><input name=q></form>", "<input name=q>"},
      {"<a href=\"javascript:alert(1)\">T</a>", "<a >T</a>"},
      {"<a href=\" JaVa&#x09;Script&colon;x\">T</a>", "<a >T</a>"},
      {"<a href=&#106;avascript:x>T</a>", "<a >T</a>"},
      {"<a href='vbscript:x'>T</a><img src=\"data:image/png;base64,AA\"><img src=file:///c/x.gif>",
       "<a >T</a><img ><img >"},
      // A "<" before a removed part is written so that it cannot start a tag
      // with what follows the removal.
      {"<<script>x</script>img src=y onerror=alert(1)>", "&lt;img src=y onerror=alert(1)>"},
      {"<scr<script></script>ipt>alert(1)", "<scr<script>ipt>alert(1)"},
      // What a browser would read as plain text is read as markup here, since
      // the element's tags go.
      {"<textarea><a title=\"</textarea><img src=x onerror=alert(1)>\"></textarea>",
       "<a title=\"</textarea><img src=x onerror=alert(1)>\">"},
      {"<!-- <a title=\"--><img src=x onerror=alert(1)>\">", "<!-- <a title=\"--><img  >\">"},
      {"<plaintext><img src=x onerror=alert(1)>", "<img  >"},
      // Without svg and math there is no foreign content, so CDATA ends at the
      // first ">" as a browser then reads it.
      {"<svg><![CDATA[ > <a title=\" ]]> <img src=x onerror=alert(1)>\">",
       "<![CDATA[ > <a title=\" ]]> <img src=x onerror=alert(1)>\">"},
      {"<math><mi><![CDATA[ ><img src=x onerror=alert(1)>]]>", "<mi><![CDATA[ ><img  >]]>"},
      // A value that joins the next attribute once the one between goes.
      {"<a href=javascript onclick=\"\"&colon;alert(1)>T</a>", "<a href=javascript  &colon;alert(1)>T</a>"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(CleanLine(in), out) << in;
}

TEST(ActiveContentTest, ResourcesFromElsewhereGoLinksStay) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<img src=\"http://x/a.gif\" alt=\"a\">", "<img  alt=\"a\">"},
      {"<img src=\"/tv/img/spacer.gif\" width=\"1\">", "<img  width=\"1\">"},
      {"<img src=\"../Image/../../x.gif\"><img src=\"../Image/a.gif?x\">", "<img ><img >"},
      {"<img srcset=\"../Image/a.gif 1x, http://x/b.gif 2x\">", "<img >"},
      {"<link rel=\"stylesheet\" href=\"http://x/a.css\"><link rel=prefetch href=//x/>", ""},
      {"<td style=\"background:url(http://x/a.gif)\">", "<td >"},
      {"<td style=\"background:u\\72l(http://x/a.gif)\">", "<td >"},
      {"<td background=\"http://x/a.gif\" class=\"c\">", "<td  class=\"c\">"},
      {"<input type=\"image\" src=\"http://x/a.gif\">", "<input type=\"image\" >"},
      {"<video poster=\"http://x/p.jpg\"></video>", "<video ></video>"},
      {"<a href=\"http://x/\" ping=\"http://y/\">T</a>", "<a href=\"http://x/\" >T</a>"},
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
           "<!DOCTYPE html><!--->x<!-->y<!---->z<?php ?></>",
           "<td style=\"color: #f00; font-weight: bold\"><br/><img src=../Image/new.gif alt=新/>",
       })
    EXPECT_EQ(CleanLine(line), line);
}

TEST(ActiveContentTest, WhatALineLeavesOpenGoesOnOrEndsBeforeThePagesOwnMarkup) {
  // A tag that ends in the next line, with the handler there.
  EXPECT_EQ(CleanPage({"<img alt=\"x\"", " onerror=\"alert(1)\" class=\"a\">t"}), "<img alt=\"x\"|  class=\"a\">t");
  EXPECT_EQ(CleanPage({"<a class=\"c\" href=\"java", "script:x()\">T</a>"}), "<a class=\"c\" >T</a>");
  EXPECT_EQ(CleanPage({"<a title=\"two", "lines\">T</a>"}), "<a title=\"two|lines\">T</a>");
  // A script going on for lines goes with all of them.
  EXPECT_EQ(CleanPage({"<td>a<script>", "alert(1)", "</script>b</td>"}), "<td>ab</td>");
  // Tags after a comment that ends in a later line are checked.
  EXPECT_EQ(CleanPage({"<!-- a", "b --><img onload=x()>"}), "<!-- a|b --><img >");
  // Whatever is open before the page's own markup is dropped there, so the
  // markup is read as written and the next line is read from the start.
  for (const std::string open : {"<?", "<!x", "</ x", "<b ", "<a title=\"", "<!-- a", "<"}) {
    SCOPED_TRACE(open);
    EXPECT_EQ(CleanPage({"<td>a" + open, "@", "<img src=x onerror=alert(1)><!--/ch_top-->"}),
              "<td>a" + std::string(open == "<" ? "<|" : "") + "@|<img  ><!--/ch_top-->");
  }
  EXPECT_EQ(CleanPage({"<b ", "@", "title=\"<img src=x onerror=alert(1)>\"<!--/ch_top-->"}),
            "@|title=\"<img  >\"<!--/ch_top-->");
  // A page ending inside a tag writes nothing of it.
  EXPECT_EQ(CleanPage({"ok<img src=\"../Image/a.gif\" onload=\"x"}), "ok");
}

// The filter reads what is written: the user's rules, the watch links and the
// page's own rows come before it.
TEST(ActiveContentTest, CleansWhatTheRulesAndTheWatchLinksWrite) {
  test::TempDir dir;
  app::SetDataDir(dir.path());
  test::WriteAll(dir / "Replace.txt", "<td>\t<td onclick=\"x()\"><script>y()</script>\t1\r\n");
  TestCreater creater;
  test::WriteAll(dir / "in.htm",
                 "<td>a</td>\n"
                 "<a placeholder=\"TIME=5:00&TITLE=\" z='end_of_placeholder\"></a><div><img src=x onerror=y()></div>\n"
                 "<b \n"
                 "END title=\"<img src=x onerror=y()>\"\n");
  ASSERT_TRUE(creater.CreateData(dir / "in.htm", dir / "out.htm", "t"));
  const std::string page = text::ReadFileBytes(dir / "out.htm").value();
  EXPECT_NE(page.find("<td >a</td>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("TITLE=%22+z%3D%27\"></a><div><img  ></div>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("</thead>\r\n<tbody>\r\nEND title=\"<img  >\"\r\n"), std::string::npos) << page;
  EXPECT_EQ(page.find("onerror"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
}

// Generated pages of every listing type hold nothing the filter removes but
// the goo spacer image, whose address lies outside the data folder.
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
      // The site rewrite that comes first points the icons at our images.
      for (size_t icon; (icon = line.find("/tv/img/icon/")) != std::string::npos;) line.replace(icon, 13, "../Image/");
      std::string expected = line + "\n";
      const size_t spacer = expected.find(" src=\"/tv/img/spacer.gif\"");
      if (spacer != std::string::npos) expected.replace(spacer + 1, 24, "");
      std::string out;
      filter.Listing(line + "\n", out);
      EXPECT_EQ(out, expected);
    }
  }
}

}  // namespace
}  // namespace kanro::listing
