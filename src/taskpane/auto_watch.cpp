#include "taskpane/auto_watch.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>

#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "export/civil_date.h"
#include "export/export_pages.h"
#include "export/listing_page_reader.h"
#include "taskpane/keyword_search.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/tokenizer.h"
#include "view/listing_day_cache.h"
#include "view/watch_list.h"
#include "view/watch_overlap.h"

namespace kanro::taskpane {
namespace {

constexpr const char* kAutoSection = "AutoWatch";

struct CompiledRule {
  text::WRegex regex;
  bool lineByLine = false;
  std::set<std::string> entries;   // empty: every entry
  std::set<std::string> channels;  // UTF-8; empty: every channel
  unsigned weekdays = 0x7f;
  std::optional<TimeOfDayRange> time;
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<int> ParseClock(std::string_view text, int maxHour) {
  if (text.size() != 5 || !IsDigit(text[0]) || !IsDigit(text[1]) || text[2] != ':' || !IsDigit(text[3]) ||
      !IsDigit(text[4]))
    return std::nullopt;
  const int hour = (text[0] - '0') * 10 + (text[1] - '0');
  const int minute = (text[3] - '0') * 10 + (text[4] - '0');
  if (minute > 59 || hour > maxHour || (hour == 24 && minute != 0)) return std::nullopt;
  return hour * 60 + minute;
}

// Why the rule cannot run (UTF-8), or empty with the rule compiled.
std::string Compile(const app::AutoWatchRule& rule, CompiledRule& out) {
  if (rule.unreadLine)
    return "パターン、番組表、チャンネル、曜日、時間帯、有効の 6 つの欄がタブで区切られていません";
  if (app::HasUnsavableField(rule)) return "欄にタブや改行は使えません";
  if (rule.pattern.empty()) return "パターンが空です";
  const std::u32string pattern = text::Cp932ToWide(rule.pattern);
  if (text::WideToCp932(pattern) != rule.pattern) return "パターンに Shift-JIS で読めない文字があります";
  out.regex = text::WRegex(pattern);
  if (!out.regex.valid()) return "パターンが正しい正規表現ではありません（" + out.regex.error() + "）";
  out.lineByLine = DependsOnSurroundings(pattern);
  for (const std::string& entry : text::TokenizeList(rule.programs)) {
    if (!exports::IsListingEntry(entry))
      return "番組表「" + text::Cp932ToUtf8(entry) + "」は 08GooTv のような指定ではありません";
    out.entries.insert(entry);
  }
  for (const std::string& channel : text::TokenizeList(rule.channels))
    if (!channel.empty()) out.channels.insert(text::Cp932ToUtf8(channel));
  if (!rule.weekdays.empty()) {
    const std::optional<unsigned> weekdays = ParseWeekdays(rule.weekdays);
    if (!weekdays) return "曜日は 0（日）から 6（土）の数字を並べて書きます（例: 12345）";
    out.weekdays = *weekdays;
  }
  if (!rule.time.empty()) {
    out.time = ParseTimeRange(rule.time);
    if (!out.time) return "時間帯は 21:00-23:30 のように書きます（開始と終了は別の時刻）";
  }
  return {};
}

// Weekday of a listing date, 0 = Sunday (1970-01-01 was a Thursday).
int Weekday(int date) {
  const int64_t days = exports::DaysFromCivil(exports::FromDateNumber(date));
  return static_cast<int>(((days % 7) + 7 + 4) % 7);
}

// A page's programmes as text for the patterns: two lines a programme, the
// title (behind "【新】" for a new series) and the description, joined by
// "\n", so one search covers the whole page.
struct PageText {
  std::u32string text;
  std::vector<size_t> lineStarts;

  // The line holding offset.
  size_t LineAt(size_t offset) const {
    return static_cast<size_t>(std::upper_bound(lineStarts.begin(), lineStarts.end(), offset) - lineStarts.begin()) -
           1;
  }
  size_t LineEnd(size_t line) const { return line + 1 < lineStarts.size() ? lineStarts[line + 1] - 1 : text.size(); }
  std::u32string_view Line(size_t line) const {
    return std::u32string_view(text).substr(lineStarts[line], LineEnd(line) - lineStarts[line]);
  }
};

void AppendLine(PageText& page, const std::string& utf8) {
  if (!page.lineStarts.empty()) page.text.push_back(U'\n');
  page.lineStarts.push_back(page.text.size());
  std::u32string wide = text::Utf8ToWide(utf8);
  for (char32_t& c : wide)
    if (c == U'\n' || c == U'\r') c = U' ';
  page.text += wide;
}

PageText MakePageText(const exports::ListingDay& day) {
  static const std::string kNewMark = "【新】";
  PageText page;
  for (const exports::ListingProgramme& programme : day.programmes) {
    AppendLine(page, programme.isNew ? kNewMark + programme.title : programme.title);
    AppendLine(page, programme.description);
  }
  return page;
}

bool PassesLimits(const CompiledRule& rule, const RulePage& page, const exports::ListingProgramme& programme,
                  int64_t notBefore) {
  if (view::AbsoluteMinute(page.day.date, programme.stopMinute) <= notBefore) return false;
  if (rule.time && !rule.time->Contains(programme.startMinute % 1440)) return false;
  if (!rule.channels.empty()) {
    if (programme.channel >= page.day.channels.size()) return false;
    if (!rule.channels.count(page.day.channels[programme.channel].name)) return false;
  }
  return true;
}

enum class PageOutcome { Done, OverBudget };

// The programmes of one page the rule matches, in order, appended to hits
// until the cap is reached. The caller sets the page's time budget.
PageOutcome MatchPage(const CompiledRule& rule, const RulePage& page, const PageText& text, size_t pageIndex,
                      const RuleMatchOptions& options, RuleResult& result) {
  const auto take = [&](size_t programme) {
    if (result.hits.size() >= options.capPerRule) {
      result.capped = true;
      return false;
    }
    result.hits.push_back(RuleHit{pageIndex, programme});
    return true;
  };
  const size_t lineCount = text.lineStarts.size();
  const auto byLines = [&](size_t firstLine) {
    for (size_t line = firstLine; line < lineCount; ++line) {
      const size_t programme = line / 2;
      if (!PassesLimits(rule, page, page.day.programmes[programme], options.notBefore)) {
        line = programme * 2 + 1;
        continue;
      }
      if (rule.regex.Search(text.Line(line))) {
        if (!take(programme)) return PageOutcome::Done;
        line = programme * 2 + 1;  // the next programme
      }
      if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
    }
    return PageOutcome::Done;
  };
  if (lineCount == 0) return PageOutcome::Done;
  if (rule.lineByLine) return byLines(0);

  size_t from = 0;
  for (;;) {
    text::WRegex::Match match;
    const uint64_t limitHits = text::RegexLimitHits();
    if (!rule.regex.Search(text.text, &match, from)) {
      if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
      // A search abandoned at the match limit says nothing about single lines.
      if (text::RegexLimitHits() != limitHits) return byLines(text.LineAt(from));
      return PageOutcome::Done;
    }
    const size_t line = text.LineAt(match.begin());
    const size_t programme = line / 2;
    // A match running over a line end: the line alone decides.
    const bool hit = match.end() <= text.LineEnd(line) || rule.regex.Search(text.Line(line));
    if (hit && PassesLimits(rule, page, page.day.programmes[programme], options.notBefore) && !take(programme))
      return PageOutcome::Done;
    if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
    // Go on after this programme when it counted, else after this line.
    const size_t nextLine = hit ? programme * 2 + 2 : line + 1;
    if (nextLine >= lineCount) return PageOutcome::Done;
    from = text.lineStarts[nextLine];
  }
}

std::string JoinKeys(const std::vector<std::string>& keys) {
  std::string list;
  for (const std::string& key : keys) list += key + ",";
  return list;
}

std::vector<std::string> ReadAutoKeys(const std::string& date) {
  return text::TokenizeList(GetProfileString(kAutoSection, date.c_str()));
}

}  // namespace

bool TimeOfDayRange::Contains(int minuteOfDay) const {
  return from < to ? from <= minuteOfDay && minuteOfDay < to : minuteOfDay >= from || minuteOfDay < to;
}

std::optional<TimeOfDayRange> ParseTimeRange(std::string_view text) {
  if (text.size() != 11 || text[5] != '-') return std::nullopt;
  const std::optional<int> from = ParseClock(text.substr(0, 5), 23);
  const std::optional<int> to = ParseClock(text.substr(6), 24);
  if (!from || !to || *from == *to % 1440) return std::nullopt;
  return TimeOfDayRange{*from, *to};
}

std::optional<unsigned> ParseWeekdays(std::string_view text) {
  unsigned days = 0;
  for (const char c : text) {
    if (c < '0' || c > '6') return std::nullopt;
    const unsigned bit = 1u << (c - '0');
    if (days & bit) return std::nullopt;
    days |= bit;
  }
  return text.empty() ? 0x7fu : days;
}

std::string AutoWatchRuleProblem(const app::AutoWatchRule& rule) {
  CompiledRule compiled;
  return Compile(rule, compiled);
}

std::vector<RuleResult> MatchRules(const std::vector<app::AutoWatchRule>& rules, const std::vector<RulePage>& pages,
                                   const RuleMatchOptions& options) {
  std::vector<RuleResult> results(rules.size());
  std::vector<std::optional<PageText>> texts(pages.size());  // made when a rule first needs them
  for (size_t r = 0; r < rules.size(); ++r) {
    CompiledRule rule;
    results[r].problem = Compile(rules[r], rule);
    if (!results[r].problem.empty() || !rules[r].enabled) continue;
    for (size_t p = 0; p < pages.size() && !results[r].capped; ++p) {
      const RulePage& page = pages[p];
      if (!rule.entries.empty() && !rule.entries.count(page.entry)) continue;
      if (!(rule.weekdays & (1u << Weekday(page.day.date)))) continue;
      if (!texts[p]) texts[p] = MakePageText(page.day);
      const size_t before = results[r].hits.size();
      const text::ScopedRegexDeadline deadline(kKeywordPageBudget);
      if (MatchPage(rule, page, *texts[p], p, options, results[r]) == PageOutcome::OverBudget) {
        // An undecided page gives no marks; a rule that keeps running out of
        // time is not tried any more.
        results[r].hits.resize(before);
        results[r].capped = false;
        if (++results[r].pagesOverBudget >= kMaxPagesOverBudget) break;
      }
    }
  }
  return results;
}

AutoWatchReport StoreRuleMarks(const std::vector<RuleResult>& results, const std::vector<RulePage>& pages, int today) {
  AutoWatchReport report;
  // The keys to mark, by day, in the order the rules found them.
  std::map<int, std::vector<std::string>> wanted;
  std::set<std::pair<int, std::string>> seen;
  for (size_t r = 0; r < results.size(); ++r) {
    const RuleResult& result = results[r];
    if (!result.problem.empty()) report.invalidRules.emplace_back(r, result.problem);
    if (result.capped) report.cappedRules.push_back(r);
    if (result.pagesOverBudget > 0) report.rulesOverBudget.push_back(r);
    for (const RuleHit& hit : result.hits) {
      const RulePage& page = pages[hit.page];
      if (page.day.date < today) continue;  // its record is about to be forgotten
      const exports::ListingProgramme& programme = page.day.programmes[hit.programme];
      if (programme.watchId.empty()) {
        ++report.noWatchLink;
        continue;
      }
      std::string key = programme.watchId + page.entry;
      if (seen.emplace(page.day.date, key).second) wanted[page.day.date].push_back(std::move(key));
    }
  }
  for (const auto& [dateNumber, keys] : wanted) {
    const std::string date = std::to_string(dateNumber);
    std::vector<std::string> watch = view::ReadWatchKeys(date);
    std::vector<std::string> recorded = ReadAutoKeys(date);
    const std::set<std::string> recordedSet(recorded.begin(), recorded.end());
    const std::set<std::string> watchSet(watch.begin(), watch.end());
    bool watchChanged = false;
    bool recordChanged = false;
    for (const std::string& key : keys) {
      const bool isWatched = watchSet.count(key) > 0;
      if (recordedSet.count(key)) {
        // Marked by a rule before: still marked, or unmarked by the user.
        ++(isWatched ? report.alreadyMarked : report.excluded);
        continue;
      }
      // Recorded also when the user had marked it, so that unmarking it
      // later is remembered as well.
      recorded.push_back(key);
      recordChanged = true;
      if (isWatched) {
        ++report.alreadyMarked;
      } else {
        watch.push_back(key);
        watchChanged = true;
        ++report.marked;
      }
    }
    if (recordChanged && !WriteProfileString(kAutoSection, date.c_str(), JoinKeys(recorded))) report.stored = false;
    if (watchChanged && !WriteProfileString("Watch", date.c_str(), JoinKeys(watch))) report.stored = false;
  }
  std::vector<std::string> past;
  for (const std::string& date : app::ListProfileKeys(kAutoSection))
    if (!view::IsWatchListDate(date) || std::stoi(date) < today) past.push_back(date);
  if (!past.empty() && !app::DeleteProfileValues(kAutoSection, past)) report.stored = false;
  return report;
}

std::vector<RulePage> ReadRulePages(const std::vector<std::string>& entries, int today) {
  std::vector<RulePage> pages;
  for (const exports::DataPageRef& ref : exports::FindDataPages(app::DataFolder(), entries, today, 0, entries.empty())) {
    exports::PageReadResult read =
        exports::ReadListingPages(exports::HeadPagePath(app::HeadFolder(), ref.entry), ref.path, ref.date);
    if (read.ok) pages.push_back(RulePage{ref.entry, std::move(read.day)});
  }
  return pages;
}

std::string HitText(const RulePage& page, const exports::ListingProgramme& programme) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d %s ", page.day.date / 100 % 100, page.day.date % 100,
                view::ClockText(view::AbsoluteMinute(page.day.date, programme.startMinute)).c_str());
  const std::string channel =
      programme.channel < page.day.channels.size() ? page.day.channels[programme.channel].name + " " : "";
  return text + channel + programme.title;
}

AutoWatchReport RunAutoWatch(const std::vector<std::string>& entries, int64_t now) {
  std::vector<app::AutoWatchRule> rules;
  app::LoadAutoWatchRules(rules);
  const int today = app::DateNumber(now - app::kListingDayOffset);
  std::vector<RulePage> pages;
  if (!rules.empty()) pages = ReadRulePages(entries, today);
  RuleMatchOptions options;
  options.notBefore = view::AbsoluteMinuteOf(now);
  return StoreRuleMarks(MatchRules(rules, pages, options), pages, today);
}

std::vector<std::string> AutoMarkedKeys(const std::string& date) {
  const std::vector<std::string> watch = view::ReadWatchKeys(date);
  const std::set<std::string> watchSet(watch.begin(), watch.end());
  std::vector<std::string> keys;
  for (std::string& key : ReadAutoKeys(date))
    if (watchSet.count(key)) keys.push_back(std::move(key));
  return keys;
}

std::vector<std::string> ReportLines(const AutoWatchReport& report) {
  std::vector<std::string> lines;
  if (report.marked > 0) lines.push_back("自動視聴予定: " + std::to_string(report.marked) + " 件の番組に印を付けました");
  for (const auto& [rule, problem] : report.invalidRules)
    lines.push_back("自動視聴予定の規則 " + std::to_string(rule + 1) + " は使えません: " + problem);
  for (const size_t rule : report.cappedRules)
    lines.push_back("自動視聴予定の規則 " + std::to_string(rule + 1) +
                    " は一致する番組が多すぎるため、上限の件数で打ち切りました");
  for (const size_t rule : report.rulesOverBudget)
    lines.push_back("自動視聴予定の規則 " + std::to_string(rule + 1) +
                    " は時間がかかりすぎるため、一部の番組表では調べていません");
  if (!report.stored) lines.push_back("自動視聴予定の印を保存できませんでした");
  return lines;
}

}  // namespace kanro::taskpane
