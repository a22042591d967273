#include "view/keyword_highlight.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace kanro::view {
namespace {

std::vector<std::u32string> Cells(const std::vector<std::string>& utf8) {
  std::vector<std::u32string> cells;
  for (const std::string& cell : utf8) cells.push_back(text::Utf8ToWide(cell));
  return cells;
}

std::vector<std::string> Keywords(const std::vector<std::string>& utf8) {
  std::vector<std::string> keywords;
  for (const std::string& keyword : utf8) keywords.push_back(text::Utf8ToCp932(keyword));
  return keywords;
}

// "cell:number:hit" per mark, hits in UTF-8.
std::vector<std::string> Marks(const KeywordHighlight& highlight) {
  std::vector<std::string> marks;
  for (const CellMark& mark : highlight.marks)
    marks.push_back(std::to_string(mark.cell) + ":" + std::to_string(mark.number) + ":" + text::Cp932ToUtf8(mark.hitText));
  return marks;
}

TEST(KeywordHighlightTest, MatchedCellsAreNumberedInDocumentOrderWithTheWholeMatch) {
  const auto highlight = HighlightCells(Cells({"5:00 朝のニュース", "天気", "【新】ドラマ 第1話", "映画", "ニュース7"}),
                                        Keywords({"ニュース", "【新】.*話"}));
  EXPECT_TRUE(highlight.applied);
  EXPECT_EQ(Marks(highlight), (std::vector<std::string>{"0:0:ニュース", "2:1:【新】ドラマ 第1話", "4:2:ニュース"}));
  ASSERT_EQ(highlight.hits.size(), 3u);
  EXPECT_EQ(text::Cp932ToUtf8(highlight.hits.at(1)), "【新】ドラマ 第1話");
}

TEST(KeywordHighlightTest, KeywordsAreTriedInCodeUnitOrderFirstMatchWins) {
  // In list order "ア" would win; in CP932 byte order too (0x83 < 0x87). In
  // wide code units "①" (U+2460) comes before "ア" (U+30A2).
  auto highlight = HighlightCells(Cells({"①ア", "ア①"}), Keywords({"ア", "①"}));
  EXPECT_EQ(Marks(highlight), (std::vector<std::string>{"0:0:①", "1:1:①"}));

  // A longer pattern later in the order does not replace the first hit.
  highlight = HighlightCells(Cells({"映画ドラマ"}), Keywords({"映画ドラマ", "ドラマ", "ドラマ"}));
  EXPECT_EQ(Marks(highlight), std::vector<std::string>{"0:0:ドラマ"});
}

TEST(KeywordHighlightTest, CaseSensitiveInvalidKeywordsIgnoredEmptyListChangesNothing) {
  auto highlight = HighlightCells(Cells({"nhk news", "NHK News"}), Keywords({"NHK", "news", "(["}));
  EXPECT_EQ(Marks(highlight), (std::vector<std::string>{"0:0:news", "1:1:NHK"}));

  highlight = HighlightCells(Cells({"映画"}), {});
  EXPECT_FALSE(highlight.applied);
  EXPECT_TRUE(highlight.marks.empty());

  highlight = HighlightCells(Cells({"映画"}), Keywords({"(["}));
  EXPECT_TRUE(highlight.applied);  // the pane is told there are no hits
  EXPECT_TRUE(highlight.hits.empty());
}

}  // namespace
}  // namespace kanro::view
