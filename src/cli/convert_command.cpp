// kanro-cli convert: turns a saved listing page into the header page (when it
// is missing) and the data page of one entry and date, exactly as a download
// would, without the network (watch marks of the page follow their
// programmes, as in a download). For trying rewrite rules.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/clock.h"
#include "cli/cli_command.h"
#include "listing/html_producer_factory.h"
#include "sites/location.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunConvert(std::vector<std::string>& args);

const CliCommand kConvertCommand{
    "convert", "convert --entry ENTRY --date YYYYMMDD FILE",
    "convert a saved listing page (ENTRY like 08GooTv) into its header and data pages", RunConvert};

KANRO_CLI_COMMAND(convert, kConvertCommand);

// "YYYYMMDD" naming a real calendar date; noon of that day, or -1.
int64_t NoonOf(const std::string& date) {
  if (date.size() != 8) return -1;
  for (char c : date)
    if (c < '0' || c > '9') return -1;
  int year = std::atoi(date.substr(0, 4).c_str());
  int month = std::atoi(date.substr(4, 2).c_str());
  int day = std::atoi(date.substr(6, 2).c_str());
  int64_t noon = app::FromLocalDate(year, month, day, 12, 0, 0);
  if (noon < 0) return -1;
  app::LocalDate back = app::ToLocalDate(noon);
  // Rejects dates that only normalise to a real one, such as 20110230.
  if (back.year != year || back.month != month || back.day != day) return -1;
  return noon;
}

int RunConvert(std::vector<std::string>& args) {
  std::string entry;
  std::string date;
  std::string file;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--entry" || arg == "--date") {
      if (i + 1 >= args.size()) return UsageError(kConvertCommand, arg + " needs a value");
      (arg == "--entry" ? entry : date) = args[++i];
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return UsageError(kConvertCommand, "unknown option \"" + arg + "\"");
    } else if (file.empty()) {
      file = arg;
    } else {
      return UsageError(kConvertCommand, "only one FILE can be converted at a time");
    }
  }
  if (entry.empty() || date.empty() || file.empty())
    return UsageError(kConvertCommand, "needs --entry, --date and a FILE");

  const int64_t time = NoonOf(date);
  if (time < 0) {
    std::fprintf(stderr, "kanro-cli convert: \"%s\" is not a date written as YYYYMMDD\n", date.c_str());
    return 1;
  }
  const bool numbered = entry.size() > 2 && entry[0] >= '0' && entry[0] <= '9' && entry[1] >= '0' && entry[1] <= '9';
  const int prefecture = numbered ? std::atoi(entry.substr(0, 2).c_str()) : 0;
  const bool knownPrefecture = prefecture >= 1 && prefecture <= static_cast<int>(sites::kPrefectures.size());
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    std::fprintf(stderr, "kanro-cli convert: cannot read the file \"%s\"\n", file.c_str());
    return 1;
  }
  if (!PrepareDataFolder()) return 1;

  listing::CHtmlProducerFactory factory;
  listing::CHtmlProducer* producer = knownPrefecture ? factory.Find(entry.substr(2)) : nullptr;
  if (!producer) {
    std::fprintf(stderr,
                 "kanro-cli convert: \"%s\" is not a listing entry; write the two-digit prefecture number "
                 "(01 to 47) and a type: GooTv, GooBsDisital, GooUhfBs, YahooAm or YahooFm (for example 08GooTv)\n",
                 entry.c_str());
    return 1;
  }
  producer->m_location.SetPrefecture(prefecture);
  producer->m_time = time;

  const bool hadHead = std::filesystem::exists(producer->HeadPagePath(), ec);
  if (!producer->ConvertPage(file)) {
    const std::string reason = text::Cp932ToUtf8(producer->FailureReason());
    if (reason.empty()) {
      std::fprintf(stderr,
                   "kanro-cli convert: no listing was found in \"%s\" for %s, or a page could not be written; "
                   "pages that existed are unchanged\n",
                   file.c_str(), entry.c_str());
    } else {
      std::fprintf(stderr, "kanro-cli convert: %s: %s (pages that existed are unchanged)\n", file.c_str(),
                   reason.c_str());
    }
    return 1;
  }
  if (!hadHead) std::printf("written: %s\n", producer->HeadPagePath().string().c_str());
  std::printf("written: %s\n", producer->DataPagePath().string().c_str());
  if (!producer->MarksDroppedText().empty())
    std::printf("%s\n", text::Cp932ToUtf8(producer->MarksDroppedText()).c_str());
  return 0;
}

}  // namespace
}  // namespace kanro::cli
