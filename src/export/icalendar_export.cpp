#include "export/icalendar_export.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <system_error>
#include <vector>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "app/version.h"
#include "export/channel_ids.h"
#include "export/civil_date.h"
#include "export/export_file.h"
#include "export/export_pages.h"
#include "export/icalendar_writer.h"
#include "export/listing_page_reader.h"
#include "export/title_markers.h"
#include "text/codepage.h"
#include "text/tokenizer.h"
#include "view/watch_list.h"

namespace kanro::exports {
namespace {

constexpr char kTimeZone[] = "Asia/Tokyo";

struct Event {
  int date = 0;
  std::string entry;
  std::string watchId;
  ListingProgramme programme;
  std::string channelName;
  std::string station;  // the station token of the channel
};

// "20110309-08GooTv-0024-1900@kanro"; the start on the listing day's clock
// (2500 is 1:00 of the next calendar date).
std::string EventUid(const Event& event) {
  char start[32];
  std::snprintf(start, sizeof start, "%02d%02d", event.programme.startMinute / 60, event.programme.startMinute % 60);
  return std::to_string(event.date) + "-" + event.entry + "-" + event.station + "-" + start + "@kanro";
}

// A CATEGORIES value of several names, each escaped.
std::string CategoryList(const std::vector<std::string>& names) {
  std::string value;
  for (const std::string& name : names) value += (value.empty() ? "" : ",") + EscapeICalendarText(name);
  return value;
}

std::string LocalTimeValue(int listingDate, int minute) {
  const LocalDateTime moment = ListingMoment(listingDate, minute);
  char text[32];
  std::snprintf(text, sizeof text, "%08dT%02d%02d00", moment.date, moment.minute / 60, moment.minute % 60);
  return text;
}

std::string UtcStamp(int64_t now) {
  const CivilDate date = CivilFromDays(now >= 0 ? now / 86400 : -((86399 - now) / 86400));
  const int64_t seconds = now - DaysFromCivil(date) * 86400;
  char text[32];
  std::snprintf(text, sizeof text, "%08dT%02d%02d%02dZ", ToDateNumber(date), static_cast<int>(seconds / 3600),
                static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60));
  return text;
}

}  // namespace

ICalendarExportOptions DefaultICalendarExportOptions() {
  ICalendarExportOptions options;
  for (const std::string& key : app::ListProfileKeys("Watch")) {
    if (key.size() != 8 || !std::all_of(key.begin(), key.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    options.watchLists[std::stoi(key)] = GetProfileString("Watch", key.c_str());
  }
  options.alerts = GetProfileInt("Window", "Alert", 1) != 0;
  options.alertMinutes = GetProfileInt("Window", "AlertMinute", 1);
  options.now = app::Now();
  options.firstDate = app::DateNumber(app::GetListingTime());
  options.dataFolder = app::DataFolder();
  options.headFolder = app::HeadFolder();
  return options;
}

bool ExportICalendar(const ICalendarExportOptions& options, std::ostream& out, ExportReport* report) {
  ExportReport local;
  ExportReport& r = report ? *report : local;
  std::vector<Event> events;
  const int lastDate = options.days > 0 ? AddDays(options.firstDate, options.days - 1) : 0;
  for (const auto& [date, list] : options.watchLists) {
    if (!IsValidDateNumber(date)) continue;
    if (options.days > 0 && (date < options.firstDate || date > lastDate)) continue;
    // Each page is read once, however many of its programmes are marked.
    std::map<std::string, std::optional<PageReadResult>> pages;
    for (const std::string& key : text::TokenizeList(list)) {
      const std::string shown = text::Cp932ToUtf8(key);
      // The programme number is the key's leading digits less the entry's
      // prefecture number, however many digits it has.
      const std::optional<view::WatchKey> split = view::SplitWatchKey(key);
      const std::string entry = split ? split->entry : std::string();
      if (!IsListingEntry(entry)) {
        ++r.marksNotFound;
        r.problems.push_back("the watch mark \"" + shown + "\" of " + std::to_string(date) +
                             " names no listing entry");
        continue;
      }
      const std::string watchId = split->number;
      auto [it, added] = pages.try_emplace(entry);
      if (added) {
        const std::filesystem::path dataPage = DataPagePath(options.dataFolder, date, entry);
        std::error_code error;
        if (std::filesystem::exists(dataPage, error)) {
          it->second = ReadListingPages(HeadPagePath(options.headFolder, entry), dataPage, date);
          ++r.pagesRead;
        }
      }
      if (!it->second) {
        ++r.marksWithoutPage;  // the day's page is gone: nothing to export
        continue;
      }
      const PageReadResult& page = *it->second;
      const auto found = std::find_if(page.day.programmes.begin(), page.day.programmes.end(),
                                      [&](const ListingProgramme& p) { return p.watchId == watchId; });
      if (found == page.day.programmes.end()) {
        ++r.marksNotFound;
        r.problems.push_back("the watch mark " + shown + " of " + std::to_string(date) +
                             " was not found on its page" + (page.ok ? std::string() : " (" + page.error + ")"));
        continue;
      }
      Event event;
      event.date = date;
      event.entry = entry;
      event.watchId = watchId;
      event.programme = *found;
      event.channelName = found->channel < page.day.channels.size() ? page.day.channels[found->channel].name : "";
      const std::vector<std::string> stations = StationTokens(page.day.channels);
      event.station = found->channel < stations.size() ? stations[found->channel] : "c0";
      events.push_back(std::move(event));
    }
  }
  std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    const int64_t aStart = DaysFromCivil(FromDateNumber(a.date)) * 1440 + a.programme.startMinute;
    const int64_t bStart = DaysFromCivil(FromDateNumber(b.date)) * 1440 + b.programme.startMinute;
    if (aStart != bStart) return aStart < bStart;
    return a.entry != b.entry ? a.entry < b.entry : a.watchId < b.watchId;
  });

  ICalendarWriter ical(out);
  ical.Begin("VCALENDAR");
  ical.Line("VERSION", "2.0");
  ical.Text("PRODID", "-//Tsuki//Kanro " + app::GetVersionString() + "//JA");
  ical.Line("CALSCALE", "GREGORIAN");
  ical.Line("METHOD", "PUBLISH");
  ical.Text("X-WR-CALNAME", "Kanro 視聴予定");
  // How often a subscribed calendar should fetch the file again (RFC 7986).
  ical.Line("REFRESH-INTERVAL;VALUE=DURATION", "PT1H");
  ical.Line("X-PUBLISHED-TTL", "PT1H");
  ical.Begin("VTIMEZONE");
  ical.Line("TZID", kTimeZone);
  ical.Begin("STANDARD");
  ical.Line("DTSTART", "19700101T000000");
  ical.Line("TZOFFSETFROM", "+0900");
  ical.Line("TZOFFSETTO", "+0900");
  ical.Text("TZNAME", "JST");
  ical.End("STANDARD");
  ical.End("VTIMEZONE");
  const std::string stamp = UtcStamp(options.now);
  const int lead = std::clamp(options.alertMinutes, 0, 7 * 24 * 60);
  for (const Event& event : events) {
    const ListingProgramme& p = event.programme;
    ical.Begin("VEVENT");
    ical.Text("UID", EventUid(event));
    ical.Line("DTSTAMP", stamp);
    ical.Line(std::string("DTSTART;TZID=") + kTimeZone, LocalTimeValue(event.date, p.startMinute));
    ical.Line(std::string("DTEND;TZID=") + kTimeZone, LocalTimeValue(event.date, p.stopMinute));
    ical.Text("SUMMARY", p.title);
    const std::string listing = EntryDisplayName(event.entry);
    ical.Text("LOCATION", event.channelName.empty() ? listing : event.channelName + "（" + listing + "）");
    if (!p.description.empty()) ical.Text("DESCRIPTION", p.description);
    std::vector<std::string> categories;
    if (!GenreNameJa(p.genre).empty()) categories.emplace_back(GenreNameJa(p.genre));
    TitleMarkers markers = ReadTitleMarkers(p.title);
    markers.newSeries = markers.newSeries || p.isNew;
    for (std::string& name : MarkerCategories(markers)) categories.push_back(std::move(name));
    if (!categories.empty()) ical.Line("CATEGORIES", CategoryList(categories));
    if (options.alerts) {
      ical.Begin("VALARM");
      ical.Line("ACTION", "DISPLAY");
      ical.Text("DESCRIPTION", p.title);
      ical.Line("TRIGGER", "-PT" + std::to_string(lead) + "M");
      ical.End("VALARM");
    }
    ical.End("VEVENT");
  }
  ical.End("VCALENDAR");
  out.flush();
  if (!out) {
    r.writeFailed = true;
    r.problems.push_back("the iCalendar file could not be written");
  }
  r.programmesWritten = static_cast<int>(events.size());
  return r.ok();
}

bool ExportICalendarToFile(const ICalendarExportOptions& options, const std::filesystem::path& file, ExportReport* report) {
  return WriteExportFile(file, [&](std::ostream& out) { return ExportICalendar(options, out, report); }, report);
}

}  // namespace kanro::exports
