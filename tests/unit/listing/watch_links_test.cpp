// Watch placeholders become numbered prp://watch links.
#include <gtest/gtest.h>

#include <string>

#include "listing/watch_links.h"

namespace kanro::listing {
namespace {

std::string Placeholder(const std::string& time, const std::string& title) {
  return "<a placeholder=\"TIME=" + time + "&TITLE=" + title + "end_of_placeholder\">";
}

TEST(WatchLinksTest, TwoPlaceholdersInOneLineGetConsecutiveIdsLeftFirst) {
  WatchLinkWriter writer;
  std::string line = "<td>" + Placeholder("5:00", "News") + "x</td><td>" + Placeholder("23:30", "A B") + "</td>";
  writer.Replace(line);
  EXPECT_EQ(line,
            "<td><a href=\"prp://watch?ID=0000&TIME=5%3A00&TITLE=News\">x</td>"
            "<td><a href=\"prp://watch?ID=0001&TIME=23%3A30&TITLE=A+B\"></td>");
  std::string next = Placeholder("6:00", "C");
  writer.Replace(next);
  EXPECT_EQ(next, "<a href=\"prp://watch?ID=0002&TIME=6%3A00&TITLE=C\">");
}

TEST(WatchLinksTest, TitleLosesItsTagsAndIsEncodedAsCp932) {
  WatchLinkWriter writer;
  // 朝の<b>ニュース</b> with a tag that spans nothing else.
  std::string line = Placeholder("5:00", "\x92\xA9\x82\xCC<b>\x83\x6A</b> <br/>&amp;");
  writer.Replace(line);
  EXPECT_EQ(line, "<a href=\"prp://watch?ID=0000&TIME=5%3A00&TITLE=%92%A9%82%CC%83%6A+%26amp%3B\">");
}

// Listings that identify their programmes give the ID; only a writer told to
// keep such IDs keeps them, and the numbered ones around them count on.
TEST(WatchLinksTest, GivenIdsAreKeptOnlyWhereAskedFor) {
  const std::string given = "<a placeholder=\"ID=0102400007&TIME=5:00&TITLE=<img src=x>A Bend_of_placeholder\">";
  WatchLinkWriter keeping;
  keeping.KeepGivenIds(true);
  std::string line = given + Placeholder("6:00", "C");
  keeping.Replace(line);
  EXPECT_EQ(line,
            "<a href=\"prp://watch?ID=0102400007&TIME=5%3A00&TITLE=A+B\">"
            "<a href=\"prp://watch?ID=0000&TIME=6%3A00&TITLE=C\">");
  // Elsewhere a page cannot choose its IDs: such a placeholder is no link.
  WatchLinkWriter numbering;
  std::string other = given;
  numbering.Replace(other);
  EXPECT_EQ(other, given);
}

TEST(WatchLinksTest, NumberingRestartsForEveryPage) {
  WatchLinkWriter writer;
  std::string first = Placeholder("1", "a") + Placeholder("2", "b");
  writer.Replace(first);
  writer.StartPage();
  std::string second = Placeholder("1", "a") + Placeholder("2", "b");
  writer.Replace(second);
  EXPECT_EQ(first, second);
  EXPECT_NE(second.find("ID=0000&TIME=1&"), std::string::npos);
  EXPECT_NE(second.find("ID=0001&TIME=2&"), std::string::npos);
}

TEST(WatchLinksTest, IdsWidenPastFourDigits) {
  WatchLinkWriter writer;
  std::string line;
  for (int i = 0; i < 10000; ++i) {
    line = Placeholder("t", "x");
    writer.Replace(line);
  }
  EXPECT_EQ(line, "<a href=\"prp://watch?ID=9999&TIME=t&TITLE=x\">");
  line = Placeholder("t", "x");
  writer.Replace(line);
  EXPECT_EQ(line, "<a href=\"prp://watch?ID=10000&TIME=t&TITLE=x\">");
}

TEST(WatchLinksTest, LinesWithoutACompletePlaceholderStayAsTheyAre) {
  WatchLinkWriter writer;
  for (std::string line : {std::string(""), std::string("<td>placeholder=\"TIME=5:00</td>"),
                           std::string("placeholder=\"TIME=1&TITLE=2end_of_placeholder"),
                           std::string("placeholder='TIME=1&TITLE=2end_of_placeholder'")}) {
    const std::string before = line;
    writer.Replace(line);
    EXPECT_EQ(line, before);
  }
  // Nothing was numbered.
  std::string line = Placeholder("", "");
  writer.Replace(line);
  EXPECT_EQ(line, "<a href=\"prp://watch?ID=0000&TIME=&TITLE=\">");
}

}  // namespace
}  // namespace kanro::listing
