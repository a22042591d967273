// The automatic watch rules: which programmes a rule matches under every
// limit (across midnight and the 05:00 start of a listing day), the cap per
// rule, and the marks they leave in the ordinary watch lists, where a mark
// the user removed stays removed.
#include "taskpane/auto_watch.h"

#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "text/codepage.h"
#include "view/listing_day_cache.h"
#include "view/watch_list.h"

namespace kanro::taskpane {
namespace {

using app::AutoWatchRule;
using exports::ListingDay;
using exports::ListingProgramme;

constexpr int kMonday = 20110307;
constexpr int kTuesday = 20110308;

AutoWatchRule Rule(const std::string& patternUtf8, const std::string& programs = "", const std::string& weekdays = "",
                   const std::string& time = "", const std::string& channelsUtf8 = "") {
  AutoWatchRule rule;
  rule.pattern = text::Utf8ToCp932(patternUtf8);
  rule.programs = programs;
  rule.weekdays = weekdays;
  rule.time = time;
  rule.channels = text::Utf8ToCp932(channelsUtf8);
  return rule;
}

struct Show {
  size_t channel;
  int start;
  int stop;
  std::string title;
  std::string description = "";
  bool isNew = false;
};

RulePage Page(const std::string& entry, int date, const std::vector<Show>& shows) {
  RulePage page{entry, ListingDay{}};
  page.day.date = date;
  page.day.channels = {{"ＮＨＫ総合", "", "", ""}, {"日本テレビ", "", "", ""}};
  int id = 1;
  for (const Show& show : shows) {
    ListingProgramme programme;
    programme.channel = show.channel;
    programme.startMinute = show.start;
    programme.stopMinute = show.stop;
    programme.title = show.title;
    programme.description = show.description;
    programme.isNew = show.isNew;
    char watchId[16];
    std::snprintf(watchId, sizeof watchId, "%04d", id++);
    programme.watchId = watchId;
    page.day.programmes.push_back(programme);
  }
  return page;
}

// The titles a single rule marks, in order.
std::vector<std::string> Titles(const AutoWatchRule& rule, const std::vector<RulePage>& pages,
                                const RuleMatchOptions& options = {}) {
  const std::vector<RuleResult> results = MatchRules({rule}, pages, options);
  EXPECT_EQ(results[0].problem, "");
  std::vector<std::string> titles;
  for (const RuleHit& hit : results[0].hits) titles.push_back(pages[hit.page].day.programmes[hit.programme].title);
  return titles;
}
using Titles_ = std::vector<std::string>;

TEST(AutoWatchLimitsTest, TimeRangesAndWeekdaysReadAsWrittenAndCrossMidnight) {
  const auto range = ParseTimeRange("23:00-01:30");
  ASSERT_TRUE(range);
  EXPECT_TRUE(range->Contains(23 * 60));
  EXPECT_TRUE(range->Contains(30));
  EXPECT_FALSE(range->Contains(90));  // the end is not inside
  EXPECT_FALSE(range->Contains(22 * 60 + 59));
  const auto evening = ParseTimeRange("19:00-24:00");
  ASSERT_TRUE(evening);
  EXPECT_TRUE(evening->Contains(23 * 60 + 59));
  EXPECT_FALSE(evening->Contains(0));
  for (const char* bad : {"", "21:00", "21:00-21:00", "00:00-24:00", "24:00-01:00", "9:00-10:00", "21:60-22:00",
                          "21:00~22:00", "21:00-22:00 "})
    EXPECT_FALSE(ParseTimeRange(bad)) << bad;

  EXPECT_EQ(ParseWeekdays(""), 0x7fu);
  EXPECT_EQ(ParseWeekdays("06"), 0x41u);
  for (const char* bad : {"7", "1,2", "11", "月"}) EXPECT_FALSE(ParseWeekdays(bad)) << bad;
}

TEST(AutoWatchLimitsTest, ABrokenRuleIsNamedWithItsReasonAndNeverRuns) {
  const std::vector<RulePage> pages{Page("08GooTv", kMonday, {{0, 300, 360, "ニュース"}})};
  AutoWatchRule undefinedBytes;
  undefinedBytes.pattern = "\x85\x40";
  const std::vector<std::pair<AutoWatchRule, std::string>> cases{
      {Rule("(ニュース"), "正しい正規表現ではありません"},
      {Rule(""), "パターンが空です"},
      {undefinedBytes, "Shift-JIS で読めない"},
      {Rule("ニュース", "08GooTv,Tokyo,"), "番組表「Tokyo」"},
      {Rule("ニュース", "", "17"), "曜日は"},
      {Rule("ニュース", "", "", "25:00-26:00"), "時間帯は"},
      {app::ParseAutoWatchLine("ニュース\t\t\t\t1"), "6 つの欄"},
  };
  for (const auto& [rule, reason] : cases) {
    const std::string problem = AutoWatchRuleProblem(rule);
    EXPECT_NE(problem.find(reason), std::string::npos) << problem;
    const std::vector<RuleResult> results = MatchRules({rule}, pages, {});
    EXPECT_EQ(results[0].problem, problem);
    EXPECT_TRUE(results[0].hits.empty());
  }
  AutoWatchRule disabled = Rule("ニュース");
  disabled.enabled = false;
  const std::vector<RuleResult> results = MatchRules({disabled}, pages, {});
  EXPECT_EQ(results[0].problem, "");
  EXPECT_TRUE(results[0].hits.empty());
}

TEST(AutoWatchMatchTest, EveryLimitNarrowsWhatThePatternFinds) {
  const std::vector<RulePage> pages{
      Page("08GooTv", kMonday,
           {{0, 300, 360, "朝のニュース"},
            {0, 1380, 1440, "夜のニュース"},
            {0, 1440, 1500, "深夜ニュース"},       // 0:00 Tuesday, still Monday's listing
            {0, 1680, 1740, "早朝ニュース"},       // 4:00 Tuesday, the page's last hour
            {1, 1200, 1260, "ニュース 日テレ"},
            {1, 1260, 1320, "ドラマ", "ニュースの裏側を描く"},
            {1, 1320, 1380, "映画", "", true}}),
      Page("13YahooFm", kTuesday, {{0, 300, 360, "ＦＭニュース"}, {0, 1440, 1500, "深夜ニュース"}}),
  };
  EXPECT_EQ(Titles(Rule("ニュース"), pages),
            (Titles_{"朝のニュース", "夜のニュース", "深夜ニュース", "早朝ニュース", "ニュース 日テレ", "ドラマ",
                     "ＦＭニュース", "深夜ニュース"}));
  EXPECT_EQ(Titles(Rule("ニュース", "13YahooFm,"), pages), (Titles_{"ＦＭニュース", "深夜ニュース"}));
  EXPECT_EQ(Titles(Rule("ニュース", "", "", "", "日本テレビ"), pages), (Titles_{"ニュース 日テレ", "ドラマ"}));
  // The weekday is the listing day's: 0:00 and 4:00 of Tuesday belong to Monday.
  EXPECT_EQ(Titles(Rule("ニュース", "", "1"), pages),
            (Titles_{"朝のニュース", "夜のニュース", "深夜ニュース", "早朝ニュース", "ニュース 日テレ", "ドラマ"}));
  EXPECT_EQ(Titles(Rule("ニュース", "", "2"), pages), (Titles_{"ＦＭニュース", "深夜ニュース"}));
  // Across midnight by the clock, whichever page the programme is on.
  EXPECT_EQ(Titles(Rule("ニュース", "", "", "23:00-00:30"), pages),
            (Titles_{"夜のニュース", "深夜ニュース", "深夜ニュース"}));
  // Across the 05:00 start of the listing day: the start of each page and
  // the end of Monday's.
  EXPECT_EQ(Titles(Rule("ニュース", "", "", "04:00-05:30"), pages),
            (Titles_{"朝のニュース", "早朝ニュース", "ＦＭニュース"}));
  EXPECT_EQ(Titles(Rule("ニュース", "", "", "04:00-05:00"), pages), (Titles_{"早朝ニュース"}));
  EXPECT_EQ(Titles(Rule("ニュース", "13YahooFm,", "2", "04:30-05:00"), pages), Titles_{});
  // New series are found as the keywords find them.
  EXPECT_EQ(Titles(Rule("【新】.*"), pages), (Titles_{"映画"}));
}

TEST(AutoWatchMatchTest, PatternsSeeOneLineOfTitleOrDescriptionAtATime) {
  const std::vector<RulePage> pages{Page(
      "08GooTv", kMonday,
      {{0, 300, 360, "ニュースA", "B特集"}, {0, 360, 420, "特集ニュース"}, {0, 420, 480, "ニュース"}})};
  // "A" ends the title and "B" opens the description: no match across them.
  EXPECT_TRUE(Titles(Rule("A\\sB"), pages).empty());
  EXPECT_TRUE(Titles(Rule("A[^x]B"), pages).empty());
  // Anchors hold at the ends of each title.
  EXPECT_EQ(Titles(Rule("^ニュース"), pages), (Titles_{"ニュースA", "ニュース"}));
  EXPECT_EQ(Titles(Rule("ニュース$"), pages), (Titles_{"特集ニュース", "ニュース"}));
  EXPECT_EQ(Titles(Rule("^特集$|^B特集$"), pages), (Titles_{"ニュースA"}));
  // A programme matching in title and description counts once.
  EXPECT_EQ(Titles(Rule("特集"), pages), (Titles_{"ニュースA", "特集ニュース"}));
}

TEST(AutoWatchMatchTest, ProgrammesThatHaveEndedAreLeftAlone) {
  const std::vector<RulePage> pages{
      Page("08GooTv", kMonday, {{0, 300, 360, "ニュース1"}, {0, 360, 420, "ニュース2"}, {0, 420, 480, "ニュース3"}})};
  RuleMatchOptions options;
  options.notBefore = view::AbsoluteMinute(kMonday, 360);  // 6:00: the first has just ended
  EXPECT_EQ(Titles(Rule("ニュース"), pages, options), (Titles_{"ニュース2", "ニュース3"}));
}

TEST(AutoWatchMatchTest, ARuleMatchingEverythingStopsAtTheCapAndSaysSo) {
  std::vector<Show> shows;
  for (int i = 0; i < 300; ++i) shows.push_back({static_cast<size_t>(i % 2), 300 + i * 4, 304 + i * 4, "番組"});
  const std::vector<RulePage> pages{Page("08GooTv", kMonday, shows)};
  const std::vector<RuleResult> results = MatchRules({Rule(".*"), Rule("番組$")}, pages, {});
  for (const RuleResult& result : results) {
    EXPECT_EQ(result.hits.size(), 200u);
    EXPECT_TRUE(result.capped);
  }
  RuleMatchOptions roomy;
  roomy.capPerRule = 300;
  EXPECT_FALSE(MatchRules({Rule(".*")}, pages, roomy)[0].capped);
  const AutoWatchReport report = [&] {
    app::DeleteAllProfileValues();
    return StoreRuleMarks(results, pages, kMonday);
  }();
  EXPECT_EQ(report.marked, 200);
  EXPECT_EQ(report.cappedRules, (std::vector<size_t>{0, 1}));
  EXPECT_NE(ReportLines(report)[1].find("規則 1 は一致する番組が多すぎる"), std::string::npos);
}

class AutoWatchStoreTest : public testing::Test {
 protected:
  void SetUp() override { app::DeleteAllProfileValues(); }
  void TearDown() override { app::DeleteAllProfileValues(); }

  AutoWatchReport Run(const std::vector<AutoWatchRule>& rules, int today = kMonday) {
    return StoreRuleMarks(MatchRules(rules, pages_, {}), pages_, today);
  }
  static std::string Watch(int date) { return GetProfileString("Watch", std::to_string(date).c_str(), "<none>"); }

  std::vector<RulePage> pages_{
      Page("08GooTv", kMonday, {{0, 300, 360, "ニュース"}, {0, 360, 420, "ドラマ"}, {1, 300, 360, "ニュース"}}),
      Page("08GooTv", kTuesday, {{0, 300, 360, "ニュース"}})};
};

TEST_F(AutoWatchStoreTest, MarksJoinTheWatchListsOnceAndAnUnmarkedOneStaysUnmarked) {
  WriteProfileString("Watch", std::to_string(kMonday).c_str(), "000208GooTv,");  // the user's own mark
  AutoWatchReport first = Run({Rule("ニュース")});
  EXPECT_EQ(first.marked, 3);
  EXPECT_EQ(Watch(kMonday), "000208GooTv,000108GooTv,000308GooTv,");
  EXPECT_EQ(Watch(kTuesday), "000108GooTv,");
  EXPECT_EQ(AutoMarkedKeys(std::to_string(kMonday)), (std::vector<std::string>{"000108GooTv", "000308GooTv"}));

  // Again: nothing new, nothing doubled.
  AutoWatchReport second = Run({Rule("ニュース")});
  EXPECT_EQ(second.marked, 0);
  EXPECT_EQ(second.alreadyMarked, 3);
  EXPECT_EQ(Watch(kMonday), "000208GooTv,000108GooTv,000308GooTv,");

  // The user removes one mark the rule set: it stays removed, run after run.
  ASSERT_TRUE(view::ToggleWatchOfDay(std::to_string(kMonday), "000308GooTv").stored);
  for (int run = 0; run < 2; ++run) {
    AutoWatchReport after = Run({Rule("ニュース")});
    EXPECT_EQ(after.marked, 0);
    EXPECT_EQ(after.excluded, 1);
    EXPECT_EQ(Watch(kMonday), "000208GooTv,000108GooTv,");
  }
  // A programme a rule matches for the first time is marked even when the
  // user had unmarked it by hand before; from then on unmarking it sticks.
  ASSERT_TRUE(view::ToggleWatchOfDay(std::to_string(kMonday), "000208GooTv").stored);
  Run({Rule("ニュース"), Rule("ドラマ")});
  EXPECT_EQ(Watch(kMonday), "000108GooTv,000208GooTv,");  // never recorded before: set now
  ASSERT_TRUE(view::ToggleWatchOfDay(std::to_string(kMonday), "000208GooTv").stored);
  EXPECT_EQ(Run({Rule("ドラマ")}).excluded, 1);
  EXPECT_EQ(Watch(kMonday), "000108GooTv,");
}

TEST_F(AutoWatchStoreTest, TheRecordOfAPastDayIsForgottenSoItsKeysMeanNothingLater) {
  Run({Rule("ニュース")});
  ASSERT_TRUE(view::ToggleWatchOfDay(std::to_string(kMonday), "000108GooTv").stored);
  EXPECT_FALSE(GetProfileString("AutoWatch", std::to_string(kMonday).c_str()).empty());
  // Tuesday comes: Monday's record goes, Tuesday's stays.
  Run({Rule("ニュース")}, kTuesday);
  EXPECT_EQ(GetProfileString("AutoWatch", std::to_string(kMonday).c_str(), "<none>"), "<none>");
  EXPECT_EQ(GetProfileString("AutoWatch", std::to_string(kTuesday).c_str()), "000108GooTv,");
}

TEST_F(AutoWatchStoreTest, AProgrammeWithoutAWatchLinkCannotBeMarkedAndIsCounted) {
  pages_[0].day.programmes[0].watchId.clear();
  const AutoWatchReport report = Run({Rule("ニュース", "", "1")});
  EXPECT_EQ(report.noWatchLink, 1);
  EXPECT_EQ(report.marked, 1);
  EXPECT_EQ(Watch(kMonday), "000308GooTv,");
}

}  // namespace
}  // namespace kanro::taskpane
