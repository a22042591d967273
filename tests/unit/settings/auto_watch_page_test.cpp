// The automatic watch page's model: editing the rules as the rewrite-rule
// editor edits its rows, the same text checks as the keyword page, and the
// preview of what a rule not yet saved would mark in the downloaded days.
#include "settings/auto_watch_page_model.h"

#include <gtest/gtest.h>

#include "app/clock.h"
#include "export/listing_page_reader.h"
#include "settings_test_env.h"
#include "text/codepage.h"
#include "unit/export/converted_pages.h"

namespace kanro::settings {
namespace {

namespace fs = std::filesystem;

constexpr int kDate = 20110309;

class AutoWatchPageTest : public test::SettingsPageTest {
 protected:
  void SetUp() override {
    test::SettingsPageTest::SetUp();
    fs::create_directories(app::DataFolder());
    fs::create_directories(app::HeadFolder());
    const exports::ConvertedPages pages = exports::ConvertSample(sites::SamplePageOptions{});
    fs::copy_file(pages.head, app::HeadFolder() / "08GooTv.htm");
    fs::copy_file(pages.data, app::DataFolder() / (std::to_string(kDate) + "08GooTv.htm"));
    const auto read = exports::ReadListingPages(app::HeadFolder() / "08GooTv.htm",
                                                app::DataFolder() / (std::to_string(kDate) + "08GooTv.htm"), kDate);
    ASSERT_TRUE(read.ok) << read.error;
    day_ = read.day;
  }
  // Noon of the listing day: the morning has passed.
  AutoWatchPageModel Model() { return AutoWatchPageModel(kDate, app::FromLocalDate(2011, 3, 9, 12, 0, 0)); }
  exports::ListingDay day_;
};

TEST_F(AutoWatchPageTest, ThePreviewShowsWhatARuleWouldMarkBeforeItIsSaved) {
  // An evening programme and one of the morning, which has ended by noon.
  const exports::ListingProgramme* evening = nullptr;
  for (const auto& p : day_.programmes)
    if (!evening && p.startMinute >= 19 * 60 && p.title.size() > 6 && p.title.find_first_of("\\.^$|?*+()[]{}") == std::string::npos)
      evening = &p;
  ASSERT_NE(evening, nullptr);
  AutoWatchPageModel model = Model();
  std::string message;
  RulePreview preview = model.Preview({evening->title, "08GooTv", "", "3", ""}, &message);
  EXPECT_EQ(preview.problem, "");
  ASSERT_FALSE(preview.lines.empty());
  const std::string channel = day_.channels[evening->channel].name;
  bool shown = false;
  for (const std::string& line : preview.lines) shown = shown || line.find(channel + " " + evening->title) != std::string::npos;
  EXPECT_TRUE(shown) << preview.lines[0];
  EXPECT_EQ(preview.lines[0].substr(0, 6), "03/09 ");
  EXPECT_FALSE(fs::exists(app::AutoWatchRulesPath())) << "a preview saves nothing";

  // Wednesday only: a Thursday rule finds nothing; neither does another listing.
  EXPECT_TRUE(model.Preview({evening->title, "", "", "4", ""}, &message).lines.empty());
  EXPECT_TRUE(model.Preview({evening->title, "13GooTv", "", "", ""}, &message).lines.empty());

  // Everything still to come matches; what ended by noon does not, and the
  // preview stops where one run stops.
  preview = model.Preview({".", "", "", "", ""}, &message);
  size_t ahead = 0;
  for (const auto& p : day_.programmes) ahead += p.stopMinute > 12 * 60 ? 1 : 0;
  ASSERT_LT(ahead, day_.programmes.size());
  EXPECT_EQ(preview.lines.size(), std::min<size_t>(ahead, 200));
  EXPECT_EQ(preview.capped, ahead > 200);

  // What keeps a rule from running is said instead.
  EXPECT_NE(model.Preview({"(", "", "", "", ""}, &message).problem.find("正規表現"), std::string::npos);
  EXPECT_NE(model.Preview({"x", "", "", "", "25:00-26:00"}, &message).problem.find("時間帯"), std::string::npos);
  EXPECT_FALSE(model.Preview({"a\tb", "", "", "", ""}, &message).problem.empty());
}

TEST_F(AutoWatchPageTest, RulesAreEditedReorderedAndSavedWithTheKeywordPagesTextChecks) {
  test::WriteAll(app::AutoWatchRulesPath(), "old\t\t\t\t\t1\r\nnot a rule\r\n");
  AutoWatchPageModel model = Model();
  ASSERT_EQ(model.Rules().size(), 2u);
  EXPECT_FALSE(AutoWatchPageModel::Problem(model.Rules()[1]).empty());
  model.SetEnabled(1, true);  // a line that is no rule stays off
  EXPECT_FALSE(model.Rules()[1].enabled);

  model.Add();
  std::string message;
  EXPECT_FALSE(model.SetTexts({"a\tb", "", "", "", ""}, &message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(model.SetTexts({"\xF0\x9F\x93\xBA", "", "", "", ""}, &message));  // not in CP932
  ASSERT_TRUE(model.SetTexts({"ニュース", "08GooTv, 13YahooFm", "", "06", "21:00-01:00"}, &message)) << message;
  model.MoveUp();
  model.MoveUp();
  EXPECT_EQ(model.Selected(), 0);
  model.SetEnabled(0, false);
  EXPECT_TRUE(model.InvalidPatterns().empty());
  ASSERT_TRUE(model.Save());
  EXPECT_EQ(test::ReadAll(app::AutoWatchRulesPath()),
            text::Utf8ToCp932("ニュース\t08GooTv,13YahooFm,\t\t06\t21:00-01:00\t0\r\n") + "old\t\t\t\t\t1\r\nnot a rule\r\n");

  // An enabled rule whose pattern does not compile is asked about on OK.
  model.Select(1);
  ASSERT_TRUE(model.SetTexts({"(old", "", "", "", ""}, &message));
  ASSERT_EQ(model.InvalidPatterns().size(), 1u);
  EXPECT_EQ(model.InvalidPatterns()[0].patternUtf8, "(old");
}

}  // namespace
}  // namespace kanro::settings
