// kanro-cli search [--date YYYYMMDD]: the keyword search the task pane shows,
// one line per result: keyword TAB result key TAB item text (UTF-8).
#include <cstdio>
#include <string>
#include <vector>

#include "app/keyword_list.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "cli/cli_command.h"
#include "listing/listing_entries.h"
#include "taskpane/keyword_search.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunSearch(std::vector<std::string>& args);

const CliCommand kSearchCommand{
    "search", "search [--date YYYYMMDD]",
    "search the downloaded listings for the keywords of Keyword.txt, from the listing day on", RunSearch};

// Eight digits forming a plausible date; the value, or -1.
int ParseDate(const std::string& text) {
  if (text.size() != 8) return -1;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  const int month = value / 100 % 100;
  const int day = value % 100;
  if (month < 1 || month > 12 || day < 1 || day > 31) return -1;
  return value;
}

int RunSearch(std::vector<std::string>& args) {
  int today = -1;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--date" && i + 1 < args.size()) {
      today = ParseDate(args[++i]);
      if (today < 0) return UsageError(kSearchCommand, "--date needs a date written YYYYMMDD, not \"" + args[i] + "\"");
    } else {
      return UsageError(kSearchCommand, "unexpected argument \"" + args[i] + "\"");
    }
  }
  if (!PrepareDataFolder()) return 1;
  if (today < 0) today = app::DateNumber(app::GetListingTime());

  taskpane::KeywordSearchRequest request;
  request.entries = listing::ListingEntriesFromSettings();
  app::LoadKeywords(request.keywords);
  request.today = today;
  request.dataFolder = app::DataFolder();

  bool allValid = true;
  for (const taskpane::KeywordResults& keyword : taskpane::RunKeywordSearch(request)) {
    const std::string name = text::Cp932ToUtf8(keyword.keyword);
    if (!keyword.valid) {
      std::fprintf(stderr, "kanro-cli search: the keyword \"%s\" is not a valid regular expression (%s); it matches nothing\n",
                   name.c_str(), keyword.error.c_str());
      allValid = false;
      continue;
    }
    for (const auto& [key, itemText] : keyword.results)
      std::printf("%s\t%lld\t%s\n", name.c_str(), static_cast<long long>(key), text::Cp932ToUtf8(itemText).c_str());
  }
  std::fflush(stdout);
  return allValid ? 0 : 1;
}

}  // namespace

KANRO_CLI_COMMAND(search, kSearchCommand);

}  // namespace kanro::cli
