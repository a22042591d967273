// kanro-cli watch list [--date YYYYMMDD] | watch toggle DATE KEY: the stored
// watch marks, on the same lists and toggle the view uses. A listed mark is
// "DATE<TAB>KEY", followed by "<TAB>TIME<TAB>TITLE" when the day's page holds
// that programme (UTF-8).
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "cli/cli_command.h"
#include "export/civil_date.h"
#include "export/listing_page_reader.h"
#include "listing/listing_types.h"
#include "sites/location.h"
#include "text/codepage.h"
#include "view/page_locations.h"
#include "view/watch_list.h"

namespace kanro::cli {
namespace {

int RunWatch(std::vector<std::string>& args);

const CliCommand kWatchCommand{"watch",
                               "watch list [--date YYYYMMDD]\n"
                               "watch toggle DATE KEY",
                               "list the watch marks, or set or remove one (KEY: programme number and entry)",
                               RunWatch};

// The programmes of one entry's page of a day by watch ID; empty when the
// page is missing or cannot be read.
class DayPages {
 public:
  const exports::ListingProgramme* Find(const std::string& date, const view::WatchKey& key) {
    auto [page, added] = m_pages.try_emplace(date + key.entry);
    if (added) {
      const exports::PageReadResult read = exports::ReadListingPages(
          view::HeaderPagePath(key.entry), view::DataPagePath(date, key.entry), std::stoi(date));
      if (read.ok)
        for (const exports::ListingProgramme& programme : read.day.programmes)
          if (!programme.watchId.empty()) page->second.emplace(programme.watchId, programme);
    }
    const auto found = page->second.find(key.number);
    return found == page->second.end() ? nullptr : &found->second;
  }

 private:
  std::map<std::string, std::map<std::string, exports::ListingProgramme>> m_pages;
};

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

  DayPages pages;
  for (const std::string& date : dates) {
    for (const std::string& key : view::ReadWatchKeys(date)) {
      if (key.empty()) continue;  // an empty item ("a,,b") is no mark
      std::string line = date + "\t" + text::Cp932ToUtf8(key);
      if (const auto split = view::SplitWatchKey(key)) {
        if (const exports::ListingProgramme* programme = pages.Find(date, *split)) {
          char time[16];
          std::snprintf(time, sizeof time, "%d:%02d", programme->startMinute / 60 % 24, programme->startMinute % 60);
          std::string title = programme->title;
          for (char& c : title)
            if (c == '\t' || c == '\n' || c == '\r') c = ' ';  // one line, three fields
          line += std::string("\t") + time + "\t" + title;
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

int RunWatch(std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kWatchCommand, "watch needs list or toggle");
  const std::string action = args.front();
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (action == "list") return ListMarks(rest);
  if (action == "toggle") return ToggleMark(rest);
  return UsageError(kWatchCommand, "unknown action \"" + action + "\"");
}

}  // namespace

KANRO_CLI_COMMAND(watch, kWatchCommand);

}  // namespace kanro::cli
