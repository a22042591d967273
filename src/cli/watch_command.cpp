// kanro-cli watch list [--date YYYYMMDD] | watch toggle DATE KEY | watch auto
// | watch rules ...: the stored watch marks, on the same lists and toggle the
// view uses, and the automatic watch rules. A listed mark is "DATE<TAB>KEY",
// followed by "<TAB>TIME<TAB>TITLE" when the day's page holds that programme
// and by "<TAB>OVERLAPS" (the overlapping marks as DATE:KEY, comma-separated)
// when its time overlaps another marked programme (UTF-8).
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/auto_watch_rules.h"
#include "app/clock.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "cli/cli_command.h"
#include "export/civil_date.h"
#include "export/listing_page_reader.h"
#include "listing/listing_types.h"
#include "sites/location.h"
#include "text/codepage.h"
#include "taskpane/auto_watch.h"
#include "text/tokenizer.h"
#include "view/listing_day_cache.h"
#include "view/watch_list.h"
#include "view/watch_overlap.h"

namespace kanro::cli {
namespace {

int RunWatch(std::vector<std::string>& args);

const CliCommand kWatchCommand{"watch",
                               "watch list [--date YYYYMMDD]\n"
                               "watch toggle DATE KEY\n"
                               "watch auto\n"
                               "watch rules list\n"
                               "watch rules add PATTERN [--programs LIST] [--channels LIST] [--weekdays 0123456] "
                               "[--time HH:MM-HH:MM] [--disabled]\n"
                               "watch rules delete N",
                               "list the watch marks, set or remove one (KEY: programme number and entry), or mark "
                               "what the automatic watch rules match",
                               RunWatch};

int ListMarks(const std::vector<std::string>& args) {
  std::vector<std::string> dates;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--date" && i + 1 < args.size() && dates.empty()) {
      if (!view::IsWatchListDate(args[++i]))
        return UsageError(kWatchCommand, "--date needs a date written YYYYMMDD, not \"" + args[i] + "\"");
      dates.push_back(args[i]);
    } else {
      return UsageError(kWatchCommand, "unexpected argument \"" + args[i] + "\"");
    }
  }
  // Only reads, as the exports do: no default files, no retention.
  if (dates.empty())
    for (const std::string& date : app::ListProfileKeys("Watch"))
      if (view::IsWatchListDate(date)) dates.push_back(date);

  view::ListingDayCache pages;
  // Overlaps are looked for among all stored marks, so a programme of the
  // day asked for is also flagged against one of the day before that runs
  // past midnight.
  std::vector<int> allDates;
  for (const std::string& date : app::ListProfileKeys("Watch"))
    if (view::IsWatchListDate(date)) allDates.push_back(std::stoi(date));
  const std::vector<view::MarkedProgramme> marked = view::ReadMarkedProgrammes(allDates, pages);
  const std::vector<std::vector<size_t>> overlaps = view::FindOverlaps(marked);
  std::map<std::pair<int, std::string>, std::string> overlapColumn;
  for (size_t i = 0; i < marked.size(); ++i) {
    std::string column;
    for (const size_t other : overlaps[i])
      column += (column.empty() ? "" : ",") + std::to_string(marked[other].date) + ":" + text::Cp932ToUtf8(marked[other].key);
    if (!column.empty()) overlapColumn[{marked[i].date, marked[i].key}] = column;
  }

  for (const std::string& date : dates) {
    for (const std::string& key : view::ReadWatchKeys(date)) {
      if (key.empty()) continue;  // an empty item ("a,,b") is no mark
      std::string line = date + "\t" + text::Cp932ToUtf8(key);
      if (const auto split = view::SplitWatchKey(key)) {
        if (const exports::ListingProgramme* programme = pages.Find(std::stoi(date), *split)) {
          char time[16];
          std::snprintf(time, sizeof time, "%d:%02d", programme->startMinute / 60 % 24, programme->startMinute % 60);
          std::string title = programme->title;
          for (char& c : title)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';  // one line, three fields
          line += std::string("\t") + time + "\t" + title;
          const auto overlap = overlapColumn.find({std::stoi(date), key});
          if (overlap != overlapColumn.end()) line += "\t" + overlap->second;
        }
      }
      std::printf("%s\n", line.c_str());
    }
  }
  std::fflush(stdout);
  return 0;
}

// The pages number their programmes "ID=%04d" from an int counter.
constexpr size_t kMaxProgrammeDigits = 10;

// Why a key typed on the command line cannot be a watch mark of a page of
// ours; empty when it can.
std::string KeyProblem(const std::string& key) {
  const std::string shown = "\"" + key + "\"";
  const std::optional<view::WatchKey> split = view::SplitWatchKey(key);
  if (!split)
    return "KEY must be four or more digits followed by a listing entry such as 08GooTv, not " + shown;
  if (split->number.size() > kMaxProgrammeDigits)
    return "the programme number of " + shown + " has " + std::to_string(split->number.size()) +
           " digits; pages number their programmes with 4 to " + std::to_string(kMaxProgrammeDigits);
  const int prefecture = std::stoi(split->entry.substr(0, 2));
  if (prefecture < 1 || prefecture > static_cast<int>(sites::kPrefectures.size()))
    return "the prefecture of " + shown + " is " + split->entry.substr(0, 2) + "; it must be 01 to 47";
  if (listing::FindListingType(split->entry.substr(2)) < 0)
    return "\"" + split->entry.substr(2) + "\" in " + shown +
           " is not a listing type: GooTv, GooBsDisital, GooUhfBs, YahooAm or YahooFm";
  return {};
}

int ToggleMark(const std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(kWatchCommand, "toggle needs a DATE and a KEY");
  if (!view::IsWatchListDate(args[0]) || !exports::IsValidDateNumber(std::stoi(args[0])))
    return UsageError(kWatchCommand, "DATE must be a calendar date written YYYYMMDD, not \"" + args[0] + "\"");
  if (const std::string problem = KeyProblem(args[1]); !problem.empty()) return UsageError(kWatchCommand, problem);
  if (!PrepareDataFolder()) return 1;
  const view::ToggleOutcome outcome = view::ToggleWatchOfDay(args[0], args[1]);
  if (!outcome.recognised) return UsageError(kWatchCommand, "\"" + args[1] + "\" is not a watch key");
  if (!outcome.stored) {
    std::fprintf(stderr, "kanro-cli watch: the watch list could not be stored in %s\n", app::ProfileLocation().c_str());
    return 1;
  }
  std::printf("%s\n", outcome.watched ? "WATCH=Y" : "WATCH=N");
  std::fflush(stdout);
  return 0;
}

int RunAuto(const std::vector<std::string>& args) {
  if (!args.empty()) return UsageError(kWatchCommand, "unexpected argument \"" + args[0] + "\"");
  if (!PrepareDataFolder()) return 1;
  const taskpane::AutoWatchReport report = taskpane::RunAutoWatch({}, app::Now());
  for (const std::string& line : taskpane::ReportLines(report))
    if (line.find("件の番組に印を付けました") == std::string::npos) std::fprintf(stderr, "kanro-cli watch: %s\n", line.c_str());
  std::printf("marked %d, already marked %d, left unmarked as you chose %d\n", report.marked, report.alreadyMarked,
              report.excluded);
  std::fflush(stdout);
  if (!report.stored) return 1;
  return 0;
}

// A rule field typed on the command line, in CP932; false when it holds a
// character CP932 lacks.
bool ToCp932(const std::string& utf8, std::string& out) {
  out = text::Utf8ToCp932(utf8);
  return text::Cp932ToUtf8(out) == utf8;
}

int ListRules() {
  std::vector<app::AutoWatchRule> rules;
  app::LoadAutoWatchRules(rules);
  for (size_t i = 0; i < rules.size(); ++i) {
    const app::AutoWatchRule& rule = rules[i];
    const std::string problem = taskpane::AutoWatchRuleProblem(rule);
    std::string line = std::to_string(i + 1) + "\t" + (!problem.empty() ? "invalid" : rule.enabled ? "on" : "off");
    if (rule.unreadLine) {
      std::string raw = text::Cp932ToUtf8(*rule.unreadLine);
      for (char& c : raw)
        if (c == '\t') c = ' ';
      line += "\t" + raw + "\t\t\t\t";
    } else {
      for (const std::string* field : {&rule.pattern, &rule.programs, &rule.channels, &rule.weekdays, &rule.time})
        line += "\t" + text::Cp932ToUtf8(*field);
    }
    if (!problem.empty()) line += "\t" + problem;
    std::printf("%s\n", line.c_str());
  }
  std::fflush(stdout);
  return 0;
}

int AddRule(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kWatchCommand, "rules add needs a PATTERN");
  app::AutoWatchRule rule;
  std::vector<std::pair<std::string, std::string>> fields{{"PATTERN", args[0]}};
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& option = args[i];
    if (option == "--disabled") {
      rule.enabled = false;
      continue;
    }
    if ((option != "--programs" && option != "--channels" && option != "--weekdays" && option != "--time") ||
        i + 1 >= args.size())
      return UsageError(kWatchCommand, "unexpected argument \"" + option + "\"");
    fields.emplace_back(option, args[++i]);
  }
  for (const auto& [name, value] : fields) {
    std::string bytes;
    if (!ToCp932(value, bytes))
      return UsageError(kWatchCommand, name + " holds a character Shift-JIS cannot hold: \"" + value + "\"");
    if (name == "PATTERN") rule.pattern = bytes;
    if (name == "--channels") rule.channels = bytes;
    if (name == "--weekdays") rule.weekdays = bytes;
    if (name == "--time") rule.time = bytes;
    if (name == "--programs") {
      // Stored as the programme list is: each entry followed by a comma.
      rule.programs.clear();
      for (const std::string& entry : text::TokenizeList(bytes)) rule.programs += entry + ",";
    }
  }
  if (const std::string problem = taskpane::AutoWatchRuleProblem(rule); !problem.empty())
    return UsageError(kWatchCommand, "the rule cannot run: " + problem);
  if (!PrepareDataFolder()) return 1;
  std::vector<app::AutoWatchRule> rules;
  app::LoadAutoWatchRules(rules);
  rules.push_back(rule);
  if (!app::SaveAutoWatchRules(rules)) {
    std::fprintf(stderr, "kanro-cli watch: %s could not be written; it stays as it was\n",
                 app::AutoWatchRulesPath().string().c_str());
    return 1;
  }
  std::printf("%zu\n", rules.size());
  std::fflush(stdout);
  return 0;
}

int DeleteRule(const std::vector<std::string>& args) {
  if (args.size() != 1) return UsageError(kWatchCommand, "rules delete needs the number of one rule");
  std::vector<app::AutoWatchRule> rules;
  app::LoadAutoWatchRules(rules);
  const std::string& number = args[0];
  const bool digits = !number.empty() && number.size() < 9 &&
                      number.find_first_not_of("0123456789") == std::string::npos;
  const size_t index = digits ? std::stoul(number) : 0;
  if (index < 1 || index > rules.size())
    return UsageError(kWatchCommand, "N must be the number of a rule, 1 to " + std::to_string(rules.size()) +
                                         ", not \"" + number + "\"");
  if (!PrepareDataFolder()) return 1;
  rules.erase(rules.begin() + static_cast<std::ptrdiff_t>(index - 1));
  if (!app::SaveAutoWatchRules(rules)) {
    std::fprintf(stderr, "kanro-cli watch: %s could not be written; it stays as it was\n",
                 app::AutoWatchRulesPath().string().c_str());
    return 1;
  }
  return 0;
}

int RunRules(const std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kWatchCommand, "rules needs list, add or delete");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "list") {
    if (!rest.empty()) return UsageError(kWatchCommand, "unexpected argument \"" + rest[0] + "\"");
    return ListRules();
  }
  if (args[0] == "add") return AddRule(rest);
  if (args[0] == "delete") return DeleteRule(rest);
  return UsageError(kWatchCommand, "unknown rules action \"" + args[0] + "\"");
}

int RunWatch(std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kWatchCommand, "watch needs list, toggle, auto or rules");
  const std::string action = args.front();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (action == "list") return ListMarks(rest);
  if (action == "toggle") return ToggleMark(rest);
  if (action == "auto") return RunAuto(rest);
  if (action == "rules") return RunRules(rest);
  return UsageError(kWatchCommand, "unknown action \"" + action + "\"");
}

}  // namespace

KANRO_CLI_COMMAND(watch, kWatchCommand);

}  // namespace kanro::cli
