#include "taskpane/ranking_lines.h"
#include "taskpane/ranking_task_rule.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::taskpane {
namespace {

using Lines = std::vector<std::string>;

std::string Sjis(const std::string& utf8) { return text::Utf8ToCp932(utf8); }

class RankingFileTest : public ::testing::Test {
 protected:
  std::optional<Lines> Read(const std::string& bytes) {
    test::WriteAll(file_, bytes);
    return ReadRankingFile(file_);
  }
  test::TempDir dir_{"kanro-ranking"};
  std::filesystem::path file_ = dir_ / "rank.txt";
};

TEST_F(RankingFileTest, ReadsEveryKindOfLineEndAndSkipsEmptyLines) {
  const std::string first = Sjis("1位 ドラマ「春」");
  EXPECT_EQ(Read(first + "\r\nb\r\nc\r\n"), (Lines{first, "b", "c"}));
  EXPECT_EQ(Read("a\rb\rc"), (Lines{"a", "b", "c"}));  // CR only
  EXPECT_EQ(Read("a\nb\r\n\r\n\nc\r"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(Read(""), Lines{});
  EXPECT_EQ(Read("\r\n\r\n"), Lines{});
  EXPECT_EQ(ReadRankingFile(dir_ / "missing.txt"), std::nullopt);
}

TEST_F(RankingFileTest, StaysWithinItsLimitsWhateverTheServiceSends) {
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "line " + std::to_string(i) + "\r\n";
  std::optional<Lines> lines = Read(many);
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 100u);
  EXPECT_EQ(lines->back(), "line 99");

  lines = Read(std::string(10 << 20, 'x'));  // one 10 MB line
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 1u);
  EXPECT_EQ(lines->front(), std::string(512, 'x'));

  // Long lines each cut, and no more than 64 KiB of the file read.
  std::string wide;
  for (int i = 0; i < 90; ++i) wide += std::string(1000, static_cast<char>('a' + i % 26)) + "\n";
  lines = Read(wide);
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(lines->size(), 66u);  // 65,536 bytes hold 65 whole lines and the start of one more
  for (const std::string& line : *lines) EXPECT_LE(line.size(), 512u);
}

TEST(RankingTextTest, CutsLongLinesBetweenCharactersAndMakesOddBytesVisible) {
  RankingLimits limits;
  limits.maxLineBytes = 5;
  // "あい" is four bytes; "う" would end at byte 6: it is left out whole.
  EXPECT_EQ(SplitRankingText(Sjis("あいう"), limits), (Lines{Sjis("あい")}));
  EXPECT_EQ(SplitRankingText(Sjis("aあいう"), limits), (Lines{Sjis("aあい")}));

  const std::string dot = Sjis("・");
  EXPECT_EQ(SplitRankingText(std::string("a\0b", 3)), (Lines{"a" + dot + "b"}));
  EXPECT_EQ(SplitRankingText("a\tb\x1b" "c\x7f"), (Lines{"a" + dot + "b" + dot + "c" + dot}));
  // A lead byte without its second byte, and bytes CP932 has no character for.
  EXPECT_EQ(SplitRankingText("\x82"), (Lines{dot}));
  EXPECT_EQ(SplitRankingText("\x82\r\nx"), (Lines{dot, "x"}));
  EXPECT_EQ(SplitRankingText("\x80\xa0\xfd\xff"), (Lines{dot + dot + dot + dot}));
  // Half-width katakana are single bytes and stay.
  EXPECT_EQ(SplitRankingText(Sjis("ｱﾆﾒ")), (Lines{Sjis("ｱﾆﾒ")}));
  // Markup and "&" are text like any other; the pane shows them as such.
  EXPECT_EQ(SplitRankingText("<b>Drama &amp; News</b>"), (Lines{"<b>Drama &amp; News</b>"}));
}

TEST(RankingTaskRuleTest, HiddenAtStartWithoutRankingOrWhenTheStartDownloadBringsIt) {
  EXPECT_FALSE(RankingTaskHiddenAtStart(5, false, false));
  EXPECT_TRUE(RankingTaskHiddenAtStart(0, false, false));
  EXPECT_TRUE(RankingTaskHiddenAtStart(0, false, true));
  EXPECT_TRUE(RankingTaskHiddenAtStart(5, true, false));
  EXPECT_FALSE(RankingTaskHiddenAtStart(5, true, true));  // "/d": not a start the rule hides it for
  EXPECT_FALSE(RankingTaskHiddenAtStart(-1, false, false));
}

}  // namespace
}  // namespace kanro::taskpane
