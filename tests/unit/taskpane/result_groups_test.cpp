#include "taskpane/result_groups.h"
#include "taskpane/result_key.h"

#include <gtest/gtest.h>

#include "text/codepage.h"

namespace kanro::taskpane {
namespace {

std::string Sjis(const std::string& utf8) { return text::Utf8ToCp932(utf8); }
std::string Utf8(const std::string& sjis) { return text::Cp932ToUtf8(sjis); }

KeywordResults Keyword(const std::string& utf8, std::map<ResultKey, std::string> results = {}) {
  KeywordResults keyword;
  keyword.keyword = Sjis(utf8);
  for (auto& [key, text] : results) keyword.results[key] = Sjis(text);
  return keyword;
}

TEST(ResultGroupsTest, KeepListOrderSkipEmptyKeywordsAndShowInvalidOnesMarked) {
  KeywordResults broken = Keyword("映画(");
  broken.valid = false;
  broken.error = "missing closing parenthesis";
  const std::vector<KeywordResults> results = {
      Keyword("野球", {{2011031001, "03/10 茨城県【地上波】"}, {2011030900, "03/09 茨城県【地上波】"}}),
      Keyword("相撲"),  // nothing found: no group
      broken,
      Keyword("ニュース", {{2011030901, "03/09 東京都【FMラジオ】"}}),
  };
  const std::vector<ResultGroup> groups = BuildResultGroups(results);
  ASSERT_EQ(groups.size(), 3u);

  EXPECT_EQ(Utf8(groups[0].caption), "野球");
  EXPECT_FALSE(groups[0].marked);
  EXPECT_TRUE(groups[0].toolTip.empty());
  ASSERT_EQ(groups[0].tasks.size(), 2u);
  EXPECT_EQ(groups[0].tasks[0].key, 2011030900);  // by date first
  EXPECT_EQ(Utf8(groups[0].tasks[0].text), "03/09 茨城県【地上波】");
  EXPECT_EQ(groups[0].tasks[1].key, 2011031001);

  // The broken pattern keeps its place, marked, with the reason as tool tip;
  // its keyword (what a click would wait for) is the list's text.
  EXPECT_TRUE(groups[1].marked);
  EXPECT_EQ(groups[1].keyword, Sjis("映画("));
  EXPECT_NE(groups[1].caption, groups[1].keyword);
  EXPECT_EQ(groups[1].caption.rfind(groups[1].keyword, 0), 0u);
  EXPECT_NE(groups[1].toolTip.find("missing closing parenthesis"), std::string::npos);
  EXPECT_TRUE(groups[1].tasks.empty());

  EXPECT_EQ(Utf8(groups[2].caption), "ニュース");
  ASSERT_EQ(groups[2].tasks.size(), 1u);
}

TEST(ResultGroupsTest, AKeywordThatRanOutOfTimeIsMarkedAndKeepsWhatItFound) {
  KeywordResults slow = Keyword("(a+)+b", {{2011030900, "03/09 茨城県【地上波】"}});
  slow.pagesOverBudget = 3;
  slow.gaveUp = true;
  KeywordResults slowNothing = Keyword("(c+)+d");
  slowNothing.pagesOverBudget = 1;
  const std::vector<ResultGroup> groups = BuildResultGroups({slow, slowNothing});
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_TRUE(groups[0].marked);
  EXPECT_FALSE(groups[0].toolTip.empty());
  EXPECT_EQ(groups[0].tasks.size(), 1u);
  EXPECT_TRUE(groups[1].marked);
  EXPECT_TRUE(groups[1].tasks.empty());
  EXPECT_TRUE(BuildResultGroups({}).empty());
}

TEST(ResultKeyTest, DecodesEntryAndDateAndRefusesKeysTheSelectorCannotHold) {
  auto target = DecodeResultKey(2011030907, 8);
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->entryIndex, 7u);
  EXPECT_EQ(target->date, "20110309");

  target = DecodeResultKey(2011030999, 100);
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->entryIndex, 99u);

  // Far-off dates need all 64 bits of the key.
  target = DecodeResultKey(ResultKey{9999123100}, 1);
  ASSERT_TRUE(target.has_value());
  EXPECT_EQ(target->date, "99991231");

  EXPECT_FALSE(DecodeResultKey(2011030908, 8).has_value());  // the selector has 8 items
  EXPECT_FALSE(DecodeResultKey(2011030900, 0).has_value());
  EXPECT_FALSE(DecodeResultKey(-2011030900, 8).has_value());
  EXPECT_FALSE(DecodeResultKey(201103, 8).has_value());          // no eight-digit date
  EXPECT_FALSE(DecodeResultKey(ResultKey{1} << 40, 8).has_value());  // date beyond eight digits
}

}  // namespace
}  // namespace kanro::taskpane
