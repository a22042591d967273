#include "export/xmltv_export.h"

#include <cstdio>
#include <map>
#include <optional>

#include "app/listing_time.h"
#include "app/paths.h"
#include "app/version.h"
#include "export/civil_date.h"
#include "export/export_file.h"
#include "export/export_pages.h"
#include "export/listing_page_reader.h"
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

// The channels of every entry with pages in range: the names of its data
// pages (their own head rows), then of its header page for columns no page has.
std::map<std::string, std::vector<ListingChannel>> CollectChannels(const XmltvExportOptions& options,
                                                                   const std::vector<DataPageRef>& pages) {
  std::map<std::string, std::vector<ListingChannel>> channels;
  auto merge = [](std::vector<ListingChannel>& into, const std::vector<ListingChannel>& from) {
    for (size_t i = 0; i < from.size(); ++i) {
      if (i >= into.size()) into.push_back(from[i]);
      if (into[i].name.empty()) into[i] = from[i];
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

}  // namespace

XmltvExportOptions DefaultXmltvExportOptions() {
  XmltvExportOptions options;
  options.entries = listing::ListingEntriesFromSettings();
  options.firstDate = app::DateNumber(app::GetListingTime());
  options.dataFolder = app::DataFolder();
  options.headFolder = app::HeadFolder();
  return options;
}

std::string XmltvChannelId(const std::string& entry, size_t column) {
  return entry + "-" + std::to_string(column + 1) + ".kanro";
}

bool ExportXmltv(const XmltvExportOptions& options, std::ostream& out, ExportReport* report) {
  ExportReport local;
  ExportReport& r = report ? *report : local;
  const int lastDate = options.days > 0 ? AddDays(options.firstDate, options.days - 1) : 0;
  const std::vector<DataPageRef> pages = FindDataPages(options.dataFolder, options.entries, options.firstDate, lastDate);
  const std::map<std::string, std::vector<ListingChannel>> channels = CollectChannels(options, pages);

  XmlWriter xml(out);
  xml.Prologue("tv", "xmltv.dtd");
  const std::string generator = "Kanro " + app::GetVersionString();
  xml.Open("tv", {{"generator-info-name", generator}, {"source-info-name", "Kanro"}});
  for (const std::string& entry : options.entries) {
    const auto found = channels.find(entry);
    if (found == channels.end()) continue;
    for (size_t i = 0; i < found->second.size(); ++i) {
      const ListingChannel& channel = found->second[i];
      xml.Open("channel", {{"id", XmltvChannelId(entry, i)}});
      // A channel needs a name; a column whose name was lost gets its place.
      xml.Element("display-name", channel.name.empty() ? XmltvChannelId(entry, i) : channel.name, {{"lang", "ja"}});
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
    const auto known = channels.find(page.entry);
    const size_t declared = known == channels.end() ? 0 : known->second.size();
    for (const ListingProgramme& programme : read.day.programmes) {
      if (programme.channel >= declared) {  // every page's channels were collected; kept for safety
        ++r.programmesSkipped;
        continue;
      }
      xml.Open("programme", {{"start", XmltvTime(page.date, programme.startMinute)},
                             {"stop", XmltvTime(page.date, programme.stopMinute)},
                             {"channel", XmltvChannelId(page.entry, programme.channel)}});
      xml.Element("title", programme.title, {{"lang", "ja"}});
      if (!programme.description.empty()) xml.Element("desc", programme.description, {{"lang", "ja"}});
      if (!GenreNameJa(programme.genre).empty()) {
        xml.Element("category", GenreNameJa(programme.genre), {{"lang", "ja"}});
        xml.Element("category", GenreNameEn(programme.genre), {{"lang", "en"}});
      }
      if (!programme.detailUrl.empty()) xml.Element("url", programme.detailUrl);
      if (programme.isNew) xml.Empty("new");
      xml.Close();
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
  return WriteExportFile(file, [&](std::ostream& out) { return ExportXmltv(options, out, report); }, report);
}

}  // namespace kanro::exports
