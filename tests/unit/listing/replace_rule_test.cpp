// The user's rewrite rules and the white-space folding before them.
#include <gtest/gtest.h>

#include <string>

#include "app/paths.h"
#include "listing/replace_rule.h"
#include "support/temp_dir.h"
#include "test_creater.h"
#include "text/codepage.h"
#include "text/regex.h"

namespace kanro::listing {
namespace {

class ReplaceRuleTest : public testing::Test {
 protected:
  void SetUp() override { app::SetDataDir(dir_.path()); }
  // Writes Replace.txt from UTF-8 lines, as CP932 with CR LF.
  void WriteRules(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += text::Utf8ToCp932(line) + "\r\n";
    test::WriteAll(app::RulesPath(), bytes);
  }
  static std::string Sjis(const std::string& utf8) { return text::Utf8ToCp932(utf8); }
  test::TempDir dir_;
};

TEST_F(ReplaceRuleTest, WhiteSpaceFoldsToOneBlankBeforeAnyRule) {
  TestCreater creater;  // no Replace.txt: no rules
  EXPECT_EQ(creater.Convert("a  \tb"), "a b");
  EXPECT_EQ(creater.Convert(" \t<td>x</td>\r"), " <td>x</td> ");
  EXPECT_EQ(creater.Convert(Sjis("朝\u3000\u3000の x")), Sjis("朝 の x"));
  EXPECT_EQ(creater.Convert("\v\f"), " ");
  EXPECT_EQ(creater.Convert("plain"), "plain");
}

// The hand-written folding agrees with the regex \s+ on every BMP character.
TEST_F(ReplaceRuleTest, FoldingMatchesTheRegexWhiteSpaceClass) {
  const text::WRegex whiteSpace(U"\\s+");
  for (char32_t c = 1; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u32string text = {U'a', c, c, U'b', c};
    const std::u32string expected = whiteSpace.ReplaceAll(text, U" ");
    CollapseWhiteSpace(text);
    ASSERT_EQ(text, expected) << "U+" << std::hex << static_cast<unsigned>(c);
  }
}

TEST_F(ReplaceRuleTest, RulesRunInFileOrderAndOnlyWhenEnabled) {
  WriteRules({
      "alt=\".*?\"\t\t1",      // empty replacement deletes
      "src=A\tsrc=X\t0",       // disabled
      "src=A\tsrc=Y\t1 ",      // flag is not exactly "1"
      "only\ttwo",             // too few fields
      "src=A\tsrc=B\t1",       // A ...
      "src=B\tsrc=C\t1",       // ... then B sees A's output
      "新\t【新】$&\t1",
      "(\\d+):(\\d+)\t$2:$1 [$&] $$ $3\t1",
  });
  TestCreater creater;
  EXPECT_TRUE(creater.InvalidRulePatterns().empty());
  EXPECT_EQ(creater.Convert(Sjis("<img alt=\"x\"  src=A alt=\"\">新 5:30")),
            Sjis("<img  src=C >【新】新 30:5 [5:30] $ "));
}

// Rules are skipped on a look at the raw bytes only where that is safe.
TEST_F(ReplaceRuleTest, RulesSeeTheFoldedTextAndEachOthersOutput) {
  WriteRules({"x y\tW\t1", "W=\tV\t1", "\\u0041\tA2\t1", "・\tdot\t1"});
  TestCreater creater;
  EXPECT_EQ(creater.Convert("x\t\t y="), "V");              // folding made "x y"; W= came from the first rule
  EXPECT_EQ(creater.Convert("A"), "A2");                    // an escape, no literal
  EXPECT_EQ(creater.Convert("\x81"), "dot");               // a broken byte decodes to U+30FB
}

TEST_F(ReplaceRuleTest, InvalidPatternIsSkippedAndNamedOthersStillApply) {
  WriteRules({"a(\tX\t1", "b\tB\t1", "\\1(c)\tY\t1", "[z-a]\tZ\t1", "a\tA\t1"});
  TestCreater creater;
  EXPECT_EQ(creater.InvalidRulePatterns(), (std::vector<std::string>{"a(", "\\1(c)", "[z-a]"}));
  EXPECT_EQ(creater.Convert("abc a("), "ABc A(");
}

TEST_F(ReplaceRuleTest, LoadingKeepsEveryEnabledRuleAndStopsAtNothing) {
  // An empty file, a file without a final line end, an empty pattern.
  WriteRules({});
  EXPECT_EQ(TestCreater().Convert("x  y"), "x y");
  test::WriteAll(app::RulesPath(), "x\ty\t1\r\ny\tz\t1");
  EXPECT_EQ(TestCreater().Convert("x"), "z");
  test::WriteAll(app::RulesPath(), "\t-\t1\n");
  EXPECT_EQ(TestCreater().Convert("ab"), "-a-b-");
  EXPECT_EQ(LoadReplaceRules(dir_ / "missing.txt").rules.size(), 0u);
}

TEST_F(ReplaceRuleTest, APatternAtTheMatchLimitLeavesTheLineUnrewrittenByIt) {
  // The first alternative matches at once; the second explodes on the long
  // run of "a" further on. The rule must not half-apply.
  WriteRules({"x|(a*)*b\tX\t1", "q\tQ\t1"});
  TestCreater creater;
  const std::string line = "xq" + std::string(30000, 'a');
  const uint64_t hitsBefore = text::RegexLimitHits();
  const std::string converted = creater.Convert(line);
  if (text::RegexLimitHits() == hitsBefore) GTEST_SKIP() << "the engine solved the pattern without its limit";
  EXPECT_EQ(converted, "xQ" + std::string(30000, 'a'));
}

}  // namespace
}  // namespace kanro::listing
