#pragma once
// The automatic watch rules at work: every programme from today on that an
// enabled rule matches gets a watch mark in the ordinary "Watch"/date lists,
// so the caption summary, the start alerts and the exports treat it like a
// mark set by hand. What a rule marked is recorded in "AutoWatch"/date (the
// same list format); a key recorded there that is no longer in the day's
// watch list was unmarked by the user and stays unmarked until its day has
// passed. Plain logic over the settings store and the downloaded pages.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/auto_watch_rules.h"
#include "export/listing_day.h"

namespace kanro::taskpane {

// A start-time range in minutes of the day; from > to crosses midnight.
struct TimeOfDayRange {
  int from = 0;
  int to = 0;  // exclusive
  bool Contains(int minuteOfDay) const;
};
// "HH:MM-HH:MM" (hours 0 to 23, the end may be 24:00); nothing when the text
// is not one or both ends are the same.
std::optional<TimeOfDayRange> ParseTimeRange(std::string_view text);
// "0123456" (0 = Sunday), each digit at most once, as a bit set; nothing
// when the text is not one. An empty text is every day.
std::optional<unsigned> ParseWeekdays(std::string_view text);

// Why the rule cannot run, in Japanese (UTF-8); empty when it can.
std::string AutoWatchRuleProblem(const app::AutoWatchRule& rule);

// One downloaded page as the rules see it.
struct RulePage {
  std::string entry;  // "08GooTv"
  exports::ListingDay day;
};

struct RuleHit {
  size_t page = 0;       // index into the pages
  size_t programme = 0;  // index into the page's programmes
};

struct RuleResult {
  std::string problem;           // why the rule did not run (UTF-8); empty when it ran
  std::vector<RuleHit> hits;     // in page order, then programme order
  bool capped = false;           // more programmes matched than the cap lets through
  size_t pagesOverBudget = 0;    // pages on which the pattern ran out of time
};

struct RuleMatchOptions {
  // Programmes that end at or before this AbsoluteMinute are past.
  int64_t notBefore = 0;
  // The most programmes one rule may mark in one run.
  size_t capPerRule = 200;
};

// Matches every enabled rule against the pages: the pattern against the
// programme's title (behind "【新】" when it is a new series) and its
// description; the limits against the page's entry, the channel name, the
// weekday of the listing day and the start time. A disabled rule gives an
// empty result without a problem.
std::vector<RuleResult> MatchRules(const std::vector<app::AutoWatchRule>& rules, const std::vector<RulePage>& pages,
                                   const RuleMatchOptions& options);

struct AutoWatchReport {
  int marked = 0;          // marks set in this run
  int alreadyMarked = 0;   // matched programmes that were marked already
  int excluded = 0;        // matched programmes the user had unmarked
  int noWatchLink = 0;     // matched programmes without a watch ID
  bool stored = true;      // every changed list reached the settings store
  std::vector<std::pair<size_t, std::string>> invalidRules;  // rule index, problem
  std::vector<size_t> cappedRules;
  std::vector<size_t> rulesOverBudget;
};

// Sets the marks the rule results ask for and records them; forgets the
// records of days before today.
AutoWatchReport StoreRuleMarks(const std::vector<RuleResult>& results, const std::vector<RulePage>& pages, int today);

// The data pages from today on, read back: of the entries given, or of every
// entry whose pages lie in the data folder when entries is empty. Pages that
// cannot be read are left out.
std::vector<RulePage> ReadRulePages(const std::vector<std::string>& entries, int today);

// One line a matched programme for a preview (UTF-8):
// "03/09 21:00 ＮＨＫ総合 ニュース".
std::string HitText(const RulePage& page, const exports::ListingProgramme& programme);

// Reads the data pages of the entries from today on, runs the rules of
// AutoWatch.txt and stores the marks. entries empty: every entry whose pages
// lie in the data folder.
AutoWatchReport RunAutoWatch(const std::vector<std::string>& entries, int64_t now);

// The keys of a day that a rule marked and that are still marked.
std::vector<std::string> AutoMarkedKeys(const std::string& date);

// The report as lines for the status bar or stderr (UTF-8); empty when there
// is nothing to say beyond the counts.
std::vector<std::string> ReportLines(const AutoWatchReport& report);

}  // namespace kanro::taskpane
