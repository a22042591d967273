// kanro-cli now [--programs LIST]: what is on now and next on every channel of
// the listings, one programme a line: CHANNEL<TAB>START<TAB>END<TAB>TITLE
// (UTF-8), the programme on air first, then the next one.
#include <cstdio>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/listing_time.h"
#include "cli/cli_command.h"
#include "export/civil_date.h"
#include "listing/listing_entries.h"
#include "text/codepage.h"
#include "view/listing_day_cache.h"
#include "view/on_air.h"
#include "view/watch_overlap.h"

namespace kanro::cli {
namespace {

int RunNow(std::vector<std::string>& args);

const CliCommand kNowCommand{"now", "now [--programs LIST]",
                             "print what is on now and next on every channel of the listings", RunNow};

std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return text;
}

int RunNow(std::vector<std::string>& args) {
  std::vector<std::string> entries;
  bool programsGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--programs" && i + 1 < args.size() && !programsGiven) {
      programsGiven = true;
      entries = listing::ListingEntries(text::Utf8ToCp932(args[++i]));
      if (entries.empty())
        return UsageError(kNowCommand, "--programs needs listing entries such as 08GooTv,13YahooFm, not \"" + args[i] + "\"");
    } else {
      return UsageError(kNowCommand, "unexpected argument \"" + args[i] + "\"");
    }
  }
  // Only reads the pages: no default files, no retention.
  if (!programsGiven) entries = listing::ListingEntriesFromSettings();
  const int64_t now = app::Now();
  const int today = app::DateNumber(now - app::kListingDayOffset);
  const int64_t nowMinute = view::AbsoluteMinuteOf(now);
  view::ListingDayCache pages;
  for (const std::string& entry : entries) {
    const std::vector<const exports::ListingDay*> days{pages.Day(exports::AddDays(today, -1), entry),
                                                        pages.Day(today, entry)};
    for (const view::OnAirLine& line : view::OnNowAndNext(days, nowMinute)) {
      for (const auto* programme : {&line.now, &line.next}) {
        if (!*programme) continue;
        std::printf("%s\t%s\t%s\t%s\n", OneLine(line.channel).c_str(), view::ClockText((*programme)->start).c_str(),
                    view::ClockText((*programme)->stop).c_str(), OneLine((*programme)->title).c_str());
      }
    }
  }
  std::fflush(stdout);
  return 0;
}

}  // namespace

KANRO_CLI_COMMAND(now, kNowCommand);

}  // namespace kanro::cli
