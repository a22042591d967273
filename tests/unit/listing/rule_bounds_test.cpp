// Rules that run too long or grow a line without end are left out of that
// line, the page is still written, and the user hears of each rule once.
#include <gtest/gtest.h>

#include <string>

#include "app/paths.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "test_creater.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

class RuleBoundsTest : public testing::Test {
 protected:
  void SetUp() override { app::SetDataDir(dir_.path()); }
  void WriteRules(const std::string& lines) { test::WriteAll(app::RulesPath(), lines); }
  size_t WarningsNaming(const std::string& pattern) const {
    size_t count = 0;
    for (const std::string& warning : notifier_.Warnings())
      if (warning.find(pattern) != std::string::npos) ++count;
    return count;
  }
  test::TempDir dir_;
  test::RecordingNotifier notifier_;
};

TEST_F(RuleBoundsTest, RulesThatGrowTheLineEndlesslyAreLeftOutOfIt) {
  // Each rule repeats the rest of the line after every ">": three of them
  // would need gigabytes for a modest line.
  WriteRules(">\t>$'\t1\r\n>\t>$'\t1\r\n>\t>$'\t1\r\nb\tB\t1\r\n");
  std::string line;
  for (int i = 0; i < 400; ++i) line += "<b>x</b>";
  TestCreater creater;
  const std::string out = creater.Convert(line);
  // The first rule may grow the line up to its limit; the ones after it
  // would pass it and are left out; the last, harmless rule still runs.
  EXPECT_LE(out.size(), 64 * line.size());
  EXPECT_EQ(out.find("<b>"), std::string::npos);
  EXPECT_EQ(WarningsNaming(">"), 1u) << "reported once, by name";
  creater.Convert(line);
  EXPECT_EQ(notifier_.Warnings().size(), 1u);
  // Short lines keep their ordinary growth.
  EXPECT_EQ(creater.Convert("a>b"), "a>BBBBBBBB");
}

TEST_F(RuleBoundsTest, ARuleThatRunsTooLongIsLeftOutOfTheLineAndTheRestOfThePage) {
  // Every match looks ahead over the whole line: thousands of slow matches.
  WriteRules("x(?=[^y]*y)\tz\t1\r\nq\tQ\t1\r\n");
  std::string page;
  const std::string slow = std::string(60000, 'x') + "y";
  for (int i = 0; i < 6; ++i) page += "q" + slow + "\n";
  page += "xy q\n";
  test::WriteAll(dir_ / "page.tmp", page);
  TestCreater creater;
  ASSERT_TRUE(creater.CreateData(dir_ / "page.tmp", dir_ / "page.htm", "t"));
  const std::string written = test::ReadAll(dir_ / "page.htm");
  EXPECT_NE(written.find("Q" + slow), std::string::npos) << "left out, the line is as it was";
  EXPECT_NE(written.find("Q" + std::string(60000, 'x')), std::string::npos);
  EXPECT_EQ(WarningsNaming("x(?=[^y]*y)"), 1u);
  // A new page tries the rule again; a line it handles in time is rewritten.
  test::WriteAll(dir_ / "short.tmp", "xxy\n");
  ASSERT_TRUE(creater.CreateData(dir_ / "short.tmp", dir_ / "short.htm", "t"));
  EXPECT_NE(test::ReadAll(dir_ / "short.htm").find("zzy"), std::string::npos);
}

}  // namespace
}  // namespace kanro::listing
