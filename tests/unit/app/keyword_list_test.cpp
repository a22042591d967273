// Keyword.txt: one keyword per line, every line counts.
#include "app/keyword_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/paths.h"
#include "support/temp_dir.h"

namespace {

using kanro::test::ReadAll;
using kanro::test::WriteAll;
using List = std::vector<std::string>;

class KeywordListTest : public testing::Test {
 protected:
  void SetUp() override { kanro::app::SetDataDir(dir_.path()); }
  kanro::test::TempDir dir_;
};

TEST_F(KeywordListTest, LoadKeepsEveryLineAndALastLineWithoutLineEnd) {
  WriteAll(dir_ / "Keyword.txt", "a.*\r\n\r\nb\nc");
  List keywords = {"stale"};
  kanro::app::LoadKeywords(keywords);
  EXPECT_EQ(keywords, (List{"a.*", "", "b", "c"}));

  // Loading and saving only turns the missing final line end into CR LF.
  ASSERT_TRUE(kanro::app::SaveKeywords(keywords));
  EXPECT_EQ(ReadAll(dir_ / "Keyword.txt"), "a.*\r\n\r\nb\r\nc\r\n");
}

TEST_F(KeywordListTest, MissingFileGivesAnEmptyList) {
  List keywords = {"stale"};
  kanro::app::LoadKeywords(keywords);
  EXPECT_TRUE(keywords.empty());
}

TEST_F(KeywordListTest, SavingAnEmptyListLeavesAnEmptyFile) {
  WriteAll(dir_ / "Keyword.txt", "old\r\n");
  ASSERT_TRUE(kanro::app::SaveKeywords({}));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "Keyword.txt"));
  EXPECT_EQ(ReadAll(dir_ / "Keyword.txt"), "");
  List keywords = {"stale"};
  kanro::app::LoadKeywords(keywords);
  EXPECT_TRUE(keywords.empty());
}

TEST_F(KeywordListTest, CP932KeywordsRoundTripByteForByte) {
  // Trail bytes 0x5C and 0x7C must not be taken for escapes or separators.
  List keywords = {"\x83\x5c\x95\x5c", "\x81\x79\x90\x56\x81\x7a.*", "a|b"};
  ASSERT_TRUE(kanro::app::SaveKeywords(keywords));
  List loaded;
  kanro::app::LoadKeywords(loaded);
  EXPECT_EQ(loaded, keywords);
}

TEST_F(KeywordListTest, AFailedSaveLeavesTheOldFileWhole) {
  WriteAll(dir_ / "Keyword.txt", "keep\r\n");
  // The data folder vanishes: the save fails and reports it.
  kanro::app::SetDataDir(dir_ / "gone");
  EXPECT_FALSE(kanro::app::SaveKeywords({"x"}));
  kanro::app::SetDataDir(dir_.path());
  EXPECT_EQ(ReadAll(dir_ / "Keyword.txt"), "keep\r\n");
}

}  // namespace
