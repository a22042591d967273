#pragma once
// The watch marks as an iCalendar file (RFC 5545): one VEVENT per marked
// programme found on its stored data page, with a display alarm at the alert
// lead time when alerts are on. An event's UID names the programme (date,
// entry, station, start), not its place on the page, so a calendar that
// imports the file again updates the same programme.
#include <cstdint>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "export/export_report.h"

namespace kanro::exports {

struct ICalendarExportOptions {
  // Listing date YYYYMMDD -> the day's watch list as stored (CP932,
  // "012308GooTv,004508GooTv,").
  std::map<int, std::string> watchLists;
  // With days > 0 only the marks of the listing days firstDate to
  // firstDate + days - 1 (a calendar subscription of the days ahead).
  int firstDate = 0;
  int days = 0;
  bool alerts = true;
  int alertMinutes = 1;
  int64_t now = 0;  // seconds since 1970 (UTC), the DTSTAMP of every event
  std::filesystem::path dataFolder;
  std::filesystem::path headFolder;
};

// The "Watch" lists and "Window"/"Alert", "Window"/"AlertMinute" of the
// settings, the current time and listing date, the folders of the data
// folder. Only reads.
ICalendarExportOptions DefaultICalendarExportOptions();

// Writes the calendar. Marks whose programme is not on its page are
// reported, never invented; false when any was, or the stream failed.
bool ExportICalendar(const ICalendarExportOptions& options, std::ostream& out, ExportReport* report);

// The same into a file, replaced only when it was written completely (see
// WriteExportFile).
bool ExportICalendarToFile(const ICalendarExportOptions& options, const std::filesystem::path& file, ExportReport* report);

}  // namespace kanro::exports
