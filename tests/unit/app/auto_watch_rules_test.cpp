// AutoWatch.txt: six tab-separated fields a line, kept exactly as written so
// that a load and a save give the file back byte for byte, also where a line
// is no rule at all.
#include "app/auto_watch_rules.h"

#include <gtest/gtest.h>

#include "app/paths.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::app {
namespace {

class AutoWatchRulesTest : public testing::Test {
 protected:
  void SetUp() override { SetDataDir(dir_.path()); }
  test::TempDir dir_{"kanro-autowatch"};
};

TEST_F(AutoWatchRulesTest, AFileTheProgramWroteComesBackByteForByteWhateverItsLinesHold) {
  const std::string bytes =
      text::Utf8ToCp932("ニュース\t08GooTv,13YahooFm,\tＮＨＫ総合\t12345\t21:00-01:30\t1\r\n") +
      "\t\t\t\t\t0\r\n" +                                       // nothing but a disabled, empty rule
      "\x85\x40\x81\x5c\t\t\t\t\t1\r\n" +                       // undefined Shift-JIS bytes, a 0x5C trail byte
      text::Utf8ToCp932("タブ\tが\t多\tすぎる\t行\tだ\t1\r\n") +  // seven fields
      "only\tthree\tfields\r\n" +
      "\r\n" +                                                  // an empty line
      "pattern\t\t\t\t\tyes\r\n";                               // no enable flag
  test::WriteAll(AutoWatchRulesPath(), bytes);

  std::vector<AutoWatchRule> rules;
  LoadAutoWatchRules(rules);
  ASSERT_EQ(rules.size(), 7u);
  EXPECT_EQ(rules[0].pattern, text::Utf8ToCp932("ニュース"));
  EXPECT_EQ(rules[0].programs, "08GooTv,13YahooFm,");
  EXPECT_EQ(rules[0].channels, text::Utf8ToCp932("ＮＨＫ総合"));
  EXPECT_EQ(rules[0].weekdays, "12345");
  EXPECT_EQ(rules[0].time, "21:00-01:30");
  EXPECT_TRUE(rules[0].enabled);
  EXPECT_FALSE(rules[1].enabled);
  EXPECT_FALSE(rules[1].unreadLine);
  EXPECT_EQ(rules[2].pattern, "\x85\x40\x81\x5c");
  for (size_t i = 3; i < 7; ++i) {
    EXPECT_TRUE(rules[i].unreadLine) << i;
    EXPECT_FALSE(rules[i].enabled) << i;  // a line that is no rule never runs
  }

  ASSERT_TRUE(SaveAutoWatchRules(rules));
  EXPECT_EQ(test::ReadAll(AutoWatchRulesPath()), bytes);
}

TEST_F(AutoWatchRulesTest, LfLinesAndAMissingLastLineEndBecomeCrLfAndNothingElseChanges) {
  test::WriteAll(AutoWatchRulesPath(), "a\t\t\t\t\t1\nb\t\t\t0\t\t0");
  std::vector<AutoWatchRule> rules;
  LoadAutoWatchRules(rules);
  ASSERT_EQ(rules.size(), 2u);
  ASSERT_TRUE(SaveAutoWatchRules(rules));
  EXPECT_EQ(test::ReadAll(AutoWatchRulesPath()), "a\t\t\t\t\t1\r\nb\t\t\t0\t\t0\r\n");
}

TEST_F(AutoWatchRulesTest, AFieldWithATabOrLineEndIsRefusedAndTheGoodFileStays) {
  test::WriteAll(AutoWatchRulesPath(), "good\t\t\t\t\t1\r\n");
  for (const char* bad : {"a\tb", "a\nb", "a\rb"}) {
    AutoWatchRule rule;
    rule.pattern = "x";
    rule.channels = bad;
    EXPECT_TRUE(HasUnsavableField(rule));
    EXPECT_FALSE(SaveAutoWatchRules({ParseAutoWatchLine("new\t\t\t\t\t1"), rule}));
    EXPECT_EQ(test::ReadAll(AutoWatchRulesPath()), "good\t\t\t\t\t1\r\n");
  }
}

TEST_F(AutoWatchRulesTest, AMissingFileIsNoRulesAndAnEmptyListLeavesAnEmptyFile) {
  std::vector<AutoWatchRule> rules{AutoWatchRule{}};
  LoadAutoWatchRules(rules);
  EXPECT_TRUE(rules.empty());
  ASSERT_TRUE(SaveAutoWatchRules({}));
  EXPECT_TRUE(std::filesystem::exists(AutoWatchRulesPath()));
  EXPECT_EQ(test::ReadAll(AutoWatchRulesPath()), "");
}

}  // namespace
}  // namespace kanro::app
