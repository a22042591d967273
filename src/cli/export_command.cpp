// kanro-cli export xmltv | ical: the downloaded listings as XMLTV and the
// watch marks as iCalendar, to standard output or a file. Reads the data
// folder and the settings only; nothing there is changed.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "cli/stop_signals.h"
#include "export/civil_date.h"
#include "export/icalendar_export.h"
#include "export/xmltv_export.h"
#include "listing/listing_entries.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunExport(std::vector<std::string>& args);

const CliCommand kExportCommand{
    "export",
    "export xmltv [--days N] [--from YYYYMMDD] [--programs LIST] [--output FILE]\n"
    "export ical [--days N] [--output FILE]",
    "write the downloaded listings as XMLTV, or the watch marks as iCalendar", RunExport};

KANRO_CLI_COMMAND(export, kExportCommand);

bool ParsePositive(const std::string& text, int* value) {
  if (text.empty() || text.size() > 6) return false;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return number > 0;
}

bool ParseDate(const std::string& text, int* value) {
  if (text.size() != 8) return false;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return exports::IsValidDateNumber(number);
}

bool ToFile(const std::string& output) { return !output.empty() && output != "-"; }

void PrintProblems(const exports::ExportReport& report) {
  for (const std::string& problem : report.problems) std::fprintf(stderr, "kanro-cli export: %s\n", problem.c_str());
}

int RunExport(std::vector<std::string>& args) {
  if (args.empty()) return UsageError(kExportCommand, "needs xmltv or ical");
  const std::string format = args[0];
  if (format != "xmltv" && format != "ical") return UsageError(kExportCommand, "unknown format \"" + format + "\"");
  std::string output;
  int days = 0;
  int from = 0;
  std::optional<std::vector<std::string>> programmes;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool needsValue = arg == "--output" || arg == "--days" ||
                            (format == "xmltv" && (arg == "--from" || arg == "--programs"));
    if (!needsValue) return UsageError(kExportCommand, "unexpected argument \"" + arg + "\"");
    if (i + 1 >= args.size()) return UsageError(kExportCommand, arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--output") {
      output = value;
    } else if (arg == "--days") {
      if (!ParsePositive(value, &days)) return UsageError(kExportCommand, "--days needs a number of days from 1 on");
    } else if (arg == "--programs") {
      programmes = listing::ListingEntries(text::Utf8ToCp932(value));
      if (programmes->empty())
        return UsageError(kExportCommand, "--programs needs listing entries such as 08GooTv,13YahooFm, not \"" + value + "\"");
    } else if (!ParseDate(value, &from)) {
      return UsageError(kExportCommand, "--from needs a date written YYYYMMDD, not \"" + value + "\"");
    }
  }

  // A stop signal ends a file export through its failure path, which
  // removes the temporary file beside the output.
  std::optional<CancelOnStopSignals> stopSignals;
  if (ToFile(output)) stopSignals.emplace();
  exports::ExportReport report;
  bool ok = false;
  if (format == "xmltv") {
    exports::XmltvExportOptions options = exports::DefaultXmltvExportOptions();
    if (from != 0) options.firstDate = from;
    options.days = days;
    if (programmes) {
      options.entries = *programmes;
      options.otherEntries = false;
    }
    ok = ToFile(output) ? exports::ExportXmltvToFile(options, output, &report)
                        : exports::ExportXmltv(options, std::cout, &report);
    PrintProblems(report);
    if (ToFile(output) && !report.writeFailed && !report.nothingFound)
      std::printf("written: %s (%d programmes from %d pages)\n", output.c_str(), report.programmesWritten,
                  report.pagesRead - report.pagesFailed);
  } else {
    exports::ICalendarExportOptions options = exports::DefaultICalendarExportOptions();
    options.days = days;
    ok = ToFile(output) ? exports::ExportICalendarToFile(options, output, &report)
                        : exports::ExportICalendar(options, std::cout, &report);
    PrintProblems(report);
    if (ToFile(output) && !report.writeFailed)
      std::printf("written: %s (%d watch marks)\n", output.c_str(), report.programmesWritten);
  }
  return ok && report.ok() ? 0 : 1;
}

}  // namespace
}  // namespace kanro::cli
