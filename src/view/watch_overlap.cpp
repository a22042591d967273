#include "view/watch_overlap.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "app/settings_store.h"
#include "export/civil_date.h"

namespace kanro::view {

std::vector<std::vector<size_t>> FindOverlaps(const std::vector<MarkedProgramme>& programmes) {
  std::vector<std::vector<size_t>> overlaps(programmes.size());
  std::vector<size_t> order(programmes.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return programmes[a].start < programmes[b].start; });
  // A sweep by start: each programme is compared with the later-starting ones
  // that begin before it ends.
  for (size_t i = 0; i < order.size(); ++i) {
    const MarkedProgramme& a = programmes[order[i]];
    for (size_t j = i + 1; j < order.size() && programmes[order[j]].start < a.stop; ++j) {
      const MarkedProgramme& b = programmes[order[j]];
      if (b.stop <= b.start || a.stop <= a.start) continue;  // no length: nothing to collide with
      overlaps[order[i]].push_back(order[j]);
      overlaps[order[j]].push_back(order[i]);
    }
  }
  for (std::vector<size_t>& list : overlaps) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
  }
  return overlaps;
}

std::vector<MarkedProgramme> ReadMarkedProgrammes(const std::vector<int>& dates, ListingDayCache& pages) {
  std::vector<MarkedProgramme> marked;
  for (const int date : dates) {
    for (const std::string& key : ReadWatchKeys(std::to_string(date))) {
      const std::optional<WatchKey> split = SplitWatchKey(key);
      if (!split) continue;
      const exports::ListingProgramme* programme = pages.Find(date, *split);
      if (!programme) continue;
      const exports::ListingDay* day = pages.Day(date, split->entry);
      MarkedProgramme item;
      item.date = date;
      item.key = key;
      item.entry = split->entry;
      if (programme->channel < day->channels.size()) item.channel = day->channels[programme->channel].name;
      item.title = programme->title;
      item.start = AbsoluteMinute(date, programme->startMinute);
      item.stop = AbsoluteMinute(date, programme->stopMinute);
      marked.push_back(std::move(item));
    }
  }
  return marked;
}

std::vector<int> WatchListDates(int firstDate) {
  std::vector<int> dates;
  for (const std::string& name : app::ListProfileKeys("Watch"))
    if (IsWatchListDate(name) && std::stoi(name) >= firstDate) dates.push_back(std::stoi(name));
  std::sort(dates.begin(), dates.end());
  return dates;
}

DayOverlaps OverlapsOfDay(int date, const std::string& entry, ListingDayCache& pages) {
  DayOverlaps result;
  const std::vector<MarkedProgramme> marked = ReadMarkedProgrammes({exports::AddDays(date, -1), date}, pages);
  const std::vector<std::vector<size_t>> overlaps = FindOverlaps(marked);
  std::vector<size_t> flagged;
  for (size_t i = 0; i < marked.size(); ++i) {
    if (overlaps[i].empty()) continue;
    if (marked[i].date == date) flagged.push_back(i);
    const std::optional<WatchKey> key = SplitWatchKey(marked[i].key);
    if (!key || key->entry != entry || marked[i].date != date) continue;
    // The later of a pair is the one whose alert warns.
    std::vector<size_t> earlier;
    for (const size_t other : overlaps[i])
      if (marked[other].start < marked[i].start || (marked[other].start == marked[i].start && other < i))
        earlier.push_back(other);
    if (!earlier.empty()) result.alertNotes[key->number] = OverlapNote(marked, earlier);
  }
  if (!flagged.empty()) {
    std::string note = " ※重複: ";
    for (size_t k = 0; k < flagged.size(); ++k)
      note += (k ? "／" : "") + ("【" + ClockText(marked[flagged[k]].start) + "】" + marked[flagged[k]].title);
    result.captionNote = note;
  }
  return result;
}

std::string ClockText(int64_t absoluteMinute) {
  const int64_t minute = ((absoluteMinute % 1440) + 1440) % 1440;
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", static_cast<int>(minute / 60), static_cast<int>(minute % 60));
  return text;
}

std::string OverlapNote(const std::vector<MarkedProgramme>& programmes, const std::vector<size_t>& overlaps) {
  if (overlaps.empty()) return {};
  std::string note;
  for (const size_t other : overlaps)
    note += "【" + ClockText(programmes[other].start) + "】" + programmes[other].title + " ";
  note.pop_back();
  return note + " と時間が重なっています";
}

}  // namespace kanro::view
