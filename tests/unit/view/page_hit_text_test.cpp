// How a keyword hit of the page on screen reads: the cell's text with its
// line breaks (what the keywords match), and the task's start, channel and
// title.
#include "view/page_hit_text.h"

#include <gtest/gtest.h>

#include "text/codepage.h"
#include "view/cell_text.h"

namespace kanro::view {
namespace {

std::string CellTextOf(const std::string& markup) {
  return text::WideToUtf8(CellText(text::Utf8ToWide(markup)));
}

TEST(CellTextTest, LineBreaksSeparateTitleAndDescriptionAndHiddenTextCounts) {
  // What the default rule writes: the hidden marker copy of the title, then the description below.
  EXPECT_EQ(CellTextOf("<STRONG>19:00</STRONG> <STRONG>まほうのほうき</STRONG>"
                       "<SPAN style=\"display: none;\">【新】まほうのほうき</SPAN><BR>ふしぎな森で少年が"),
            "19:00 まほうのほうき【新】まほうのほうき\nふしぎな森で少年が");
  // Blocks break lines as well; "<PRE>" and "<BRX>" are no breaks; empty lines go.
  EXPECT_EQ(CellTextOf("<DIV>一</DIV><P class=x>二</P><BR/><BR><PRE>三</PRE><BRX>四"), "一\n二\n三四");
  // Markup white space is a blank; runs become one, lines are trimmed.
  EXPECT_EQ(CellTextOf("  ニュース\n\t &nbsp; 天気  <BR>  &amp;&lt;字&gt; "), "ニュース 天気\n&<字>");
  EXPECT_EQ(CellTextOf(""), "");
  // A programme laid out as a table in its cell: its rows are lines.
  EXPECT_EQ(CellTextOf("<TABLE><TR><TD>5:00</TD></TR><TR><TD>朝</TD></TR></TABLE>"), "5:00\n朝");
}

PageCell Cell(const std::string& markup) {
  PageCell cell;
  cell.markup = text::Utf8ToWide(markup);
  return cell;
}

TEST(PageHitTextTest, HitsReadAsStartChannelAndTitleWithTheWholeCellBeside) {
  exports::ListingDay day;
  day.channels = {{"NHK総合", "", "", ""}, {"あおば放送", "", "", ""}};
  exports::ListingProgramme news;
  news.channel = 1;
  news.watchId = "0012";
  exports::ListingProgramme unplaced;  // a page without watch links names no ID
  unplaced.channel = 0;
  exports::ListingProgramme outside;   // a channel the day does not have is skipped
  outside.channel = 5;
  outside.watchId = "0013";
  day.programmes = {news, unplaced, outside};
  const ChannelOfWatchId channels = ChannelsByWatchId(day);
  EXPECT_EQ(channels, (ChannelOfWatchId{{"0012", text::Utf8ToCp932("あおば放送")}}));

  const std::vector<PageCell> cells = {
      Cell("<STRONG>19:00</STRONG> <STRONG>ニュース</STRONG> <A href=\"prp://watch?ID=0012&amp;TIME=19%3A00\">"
           "<IMG src=\"../Image/watch.gif\"></A><BR>今日の出来事"),
      Cell("<STRONG>21:00</STRONG> <STRONG>ニュース</STRONG> <A href=\"prp://watch?ID=0099\">x</A>"),
      Cell("天気<BR>あすは晴れ"),
  };
  const std::vector<CellMark> marks = {{0, 0, ""}, {1, 1, ""}, {2, 2, ""}, {7, 3, ""}};
  const std::map<int, PageHitText> texts = DescribePageHits(marks, cells, channels);
  ASSERT_EQ(texts.size(), 3u);  // a mark of a cell not given is left out
  auto utf8 = [&](int number) {
    return std::pair{text::Cp932ToUtf8(texts.at(number).label), text::Cp932ToUtf8(texts.at(number).whole)};
  };
  EXPECT_EQ(utf8(0).first, "19:00 あおば放送 ニュース");
  EXPECT_EQ(utf8(0).second, "19:00 ニュース\n今日の出来事");
  // An ID the page reader did not place: start and title only.
  EXPECT_EQ(utf8(1).first, "21:00 ニュース");
  // No start and title: the first line.
  EXPECT_EQ(utf8(2), (std::pair<std::string, std::string>{"天気", "天気\nあすは晴れ"}));
}

}  // namespace
}  // namespace kanro::view
