#include "export/xmltv_export.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

#include "app/listing_time.h"
#include "app/paths.h"
#include "app/version.h"
#include "export/channel_ids.h"
#include "export/civil_date.h"
#include "export/export_file.h"
#include "export/export_pages.h"
#include "export/listing_page_reader.h"
#include "export/title_markers.h"
#include "export/xml_writer.h"
#include "listing/listing_entries.h"
#include "text/text_file.h"

namespace kanro::exports {
namespace {

// "20110309050000 +0900": the listings are Japanese wall-clock times.
std::string XmltvTime(int listingDate, int minute) {
  const LocalDateTime moment = ListingMoment(listingDate, minute);
  char text[32];
  std::snprintf(text, sizeof text, "%08d%02d%02d00 +0900", moment.date, moment.minute / 60, moment.minute % 60);
  return text;
}

std::string PageName(const DataPageRef& page) { return std::to_string(page.date) + page.entry; }

struct EntryChannels {
  std::vector<std::string> tokens;  // in the order first seen
  std::map<std::string, ListingChannel> byToken;
};

// The stations of every entry with pages in range: those named by its data
// pages (their own head rows), then by its header page. A station keeps its
// id whichever column it has on a day.
std::map<std::string, EntryChannels> CollectChannels(const XmltvExportOptions& options,
                                                     const std::vector<DataPageRef>& pages) {
  std::map<std::string, EntryChannels> channels;
  auto merge = [](EntryChannels& into, const std::vector<ListingChannel>& from) {
    const std::vector<std::string> tokens = StationTokens(from);
    for (size_t i = 0; i < from.size(); ++i) {
      auto [it, added] = into.byToken.try_emplace(tokens[i], from[i]);
      if (added) into.tokens.push_back(tokens[i]);
      ListingChannel& known = it->second;
      if (known.link.empty()) known.link = from[i].link;
      if (known.number.empty()) known.number = from[i].number;
      if (known.icon.empty()) known.icon = from[i].icon;
    }
  };
  for (const DataPageRef& page : pages) {
    if (const std::optional<std::string> bytes = text::ReadFileBytes(page.path))
      merge(channels[page.entry], ParseHeaderChannels(*bytes));
  }
  for (auto& [entry, list] : channels) {
    if (const std::optional<std::string> bytes = text::ReadFileBytes(HeadPagePath(options.headFolder, entry)))
      merge(list, ParseHeaderChannels(*bytes));
  }
  return channels;
}

std::vector<DataPageRef> PagesInRange(const XmltvExportOptions& options) {
  const int lastDate = options.days > 0 ? AddDays(options.firstDate, options.days - 1) : 0;
  return FindDataPages(options.dataFolder, options.entries, options.firstDate, lastDate, options.otherEntries);
}

void ReportNothingFound(const XmltvExportOptions& options, ExportReport& r) {
  r.nothingFound = true;
  std::string which;
  if (!options.otherEntries) {
    for (const std::string& entry : options.entries) which += (which.empty() ? "" : ", ") + entry;
    which = which.empty() ? " (no listing entry was named)" : " of " + which;
  }
  r.problems.push_back("no downloaded data page" + which + " from " + std::to_string(options.firstDate) +
                       (options.days > 0 ? " for " + std::to_string(options.days) + " days" : std::string(" on")) +
                       "; nothing was exported");
}

void WriteProgramme(XmlWriter& xml, const DataPageRef& page, const ListingProgramme& programme,
                    const std::string& channelId) {
  xml.Open("programme", {{"start", XmltvTime(page.date, programme.startMinute)},
                         {"stop", XmltvTime(page.date, programme.stopMinute)},
                         {"channel", channelId}});
  const TitleMarkers markers = ReadTitleMarkers(programme.title);
  // The elements in the order the DTD gives them.
  xml.Element("title", programme.title, {{"lang", "ja"}});
  if (!programme.description.empty()) xml.Element("desc", programme.description, {{"lang", "ja"}});
  if (!GenreNameJa(programme.genre).empty()) {
    // Players that take one category take the first: the standard English name.
    xml.Element("category", GenreNameEn(programme.genre), {{"lang", "en"}});
    xml.Element("category", GenreNameJa(programme.genre), {{"lang", "ja"}});
  }
  if (!programme.detailUrl.empty()) xml.Element("url", programme.detailUrl);
  if (!markers.episode.empty()) xml.Element("episode-num", markers.episode, {{"system", "onscreen"}});
  if (markers.repeat) xml.Empty("previously-shown");
  if (markers.lastEpisode) xml.Empty("last-chance");
  if (programme.isNew || markers.newSeries) xml.Empty("new");
  if (markers.captions) xml.Empty("subtitles", {{"type", "teletext"}});
  xml.Close();
}

}  // namespace

XmltvExportOptions DefaultXmltvExportOptions() {
  XmltvExportOptions options;
  options.entries = listing::ListingEntriesFromSettings();
  options.otherEntries = true;
  options.firstDate = app::DateNumber(app::GetListingTime());
  options.dataFolder = app::DataFolder();
  options.headFolder = app::HeadFolder();
  return options;
}

bool ExportXmltv(const XmltvExportOptions& options, std::ostream& out, ExportReport* report) {
  ExportReport local;
  ExportReport& r = report ? *report : local;
  const std::vector<DataPageRef> pages = PagesInRange(options);
  if (pages.empty()) ReportNothingFound(options, r);
  const std::map<std::string, EntryChannels> channels = CollectChannels(options, pages);
  // Entries in the order of their first page (which follows options.entries).
  std::vector<std::string> entries;
  for (const DataPageRef& page : pages)
    if (std::find(entries.begin(), entries.end(), page.entry) == entries.end()) entries.push_back(page.entry);

  XmlWriter xml(out);
  xml.Prologue("tv", "xmltv.dtd");
  const std::string generator = "Kanro " + app::GetVersionString();
  xml.Open("tv", {{"generator-info-name", generator}, {"source-info-name", "Kanro"}});
  std::set<std::string> declared;
  for (const std::string& entry : entries) {
    const auto found = channels.find(entry);
    if (found == channels.end()) continue;
    for (const std::string& token : found->second.tokens) {
      const ListingChannel& channel = found->second.byToken.at(token);
      const std::string id = XmltvChannelId(entry, token);
      declared.insert(id);
      xml.Open("channel", {{"id", id}});
      // A channel needs a name; a column whose name was lost gets its id.
      xml.Element("display-name", channel.name.empty() ? id : channel.name, {{"lang", "ja"}});
      if (!channel.number.empty()) xml.Element("display-name", channel.number);
      if (!channel.icon.empty()) xml.Empty("icon", {{"src", channel.icon}});
      if (!channel.link.empty()) xml.Element("url", channel.link);
      xml.Close();
    }
  }

  for (const DataPageRef& page : pages) {
    const PageReadResult read = ReadListingPages(HeadPagePath(options.headFolder, page.entry), page.path, page.date);
    ++r.pagesRead;
    if (!read.ok || read.day.programmes.empty()) {
      ++r.pagesFailed;
      r.programmesSkipped += read.day.skipped;
      r.problems.push_back("page " + PageName(page) + " could not be read: " +
                           (read.ok ? std::string("no programme could be placed") : read.error));
      continue;
    }
    if (read.day.skipped > 0) {
      r.programmesSkipped += read.day.skipped;
      r.problems.push_back("page " + PageName(page) + ": " + std::to_string(read.day.skipped) +
                           " programmes could not be placed and were left out");
    }
    const std::vector<std::string> tokens = StationTokens(read.day.channels);
    for (const ListingProgramme& programme : read.day.programmes) {
      const std::string id =
          programme.channel < tokens.size() ? XmltvChannelId(page.entry, tokens[programme.channel]) : std::string();
      if (!declared.count(id)) {  // every page's channels were collected; kept for safety
        ++r.programmesSkipped;
        continue;
      }
      WriteProgramme(xml, page, programme, id);
      ++r.programmesWritten;
    }
    if (!xml.good()) break;
  }
  xml.Close();
  out.flush();
  if (!out) {
    r.writeFailed = true;
    r.problems.push_back("the XMLTV document could not be written");
  }
  return r.ok();
}

bool ExportXmltvToFile(const XmltvExportOptions& options, const std::filesystem::path& file, ExportReport* report) {
  if (PagesInRange(options).empty()) {
    // An empty document would replace the last good one a media centre reads.
    ExportReport local;
    ReportNothingFound(options, report ? *report : local);
    return false;
  }
  return WriteExportFile(file, [&](std::ostream& out) { return ExportXmltv(options, out, report); }, report);
}

}  // namespace kanro::exports
