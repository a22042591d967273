#include "taskpane/watch_pane_lines.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "export/civil_date.h"
#include "taskpane/auto_watch.h"
#include "text/codepage.h"
#include "view/on_air.h"
#include "view/watch_overlap.h"

namespace kanro::taskpane {

std::vector<PaneLine> OnAirLines(const std::string& entry, int today, int64_t now, view::ListingDayCache& pages) {
  const int64_t minute = view::AbsoluteMinuteOf(now);
  std::vector<PaneLine> lines;
  for (const view::OnAirLine& line :
       view::OnNowAndNext({pages.Day(exports::AddDays(today, -1), entry), pages.Day(today, entry)}, minute)) {
    if (!line.now && !line.next) continue;
    PaneLine pane;
    pane.entry = entry;
    pane.text = line.channel;
    if (line.now) {
      pane.text += " " + line.now->title + " あと" + std::to_string(line.minutesLeft) + "分";
      pane.date = std::to_string(line.now->date);
      pane.watchId = line.now->watchId;
    }
    if (line.next) {
      pane.text += " ▶ " + view::ClockText(line.next->start) + " " + line.next->title;
      if (!line.now) {
        pane.date = std::to_string(line.next->date);
        pane.watchId = line.next->watchId;
      }
    }
    lines.push_back(std::move(pane));
  }
  return lines;
}

std::vector<PaneLine> AutoMarkedLines(int today, view::ListingDayCache& pages) {
  const std::vector<int> dates = view::WatchListDates(exports::AddDays(today, -1));
  const std::vector<view::MarkedProgramme> marked = view::ReadMarkedProgrammes(dates, pages);
  const std::vector<std::vector<size_t>> overlaps = view::FindOverlaps(marked);
  std::map<std::pair<int, std::string>, size_t> byKey;
  for (size_t i = 0; i < marked.size(); ++i) byKey.emplace(std::pair{marked[i].date, marked[i].key}, i);

  std::vector<PaneLine> lines;
  for (const int date : dates) {
    if (date < today) continue;
    for (const std::string& key : AutoMarkedKeys(std::to_string(date))) {
      const auto found = byKey.find({date, key});
      if (found == byKey.end()) continue;  // its page or programme is gone
      const view::MarkedProgramme& programme = marked[found->second];
      PaneLine line;
      char day[16];
      std::snprintf(day, sizeof day, "%02d/%02d ", date / 100 % 100, date % 100);
      line.text = day + view::ClockText(programme.start) + " " + programme.channel + " " + programme.title;
      line.flagged = !overlaps[found->second].empty();
      line.toolTip = view::OverlapNote(marked, overlaps[found->second]);
      line.entry = programme.entry;
      line.date = std::to_string(date);
      if (const auto split = view::SplitWatchKey(key)) line.watchId = split->number;
      lines.push_back(std::move(line));
    }
  }
  return lines;
}

std::vector<PaneLine> OverlapNotes(int today, view::ListingDayCache& pages) {
  const std::vector<view::MarkedProgramme> marked =
      view::ReadMarkedProgrammes(view::WatchListDates(exports::AddDays(today, -1)), pages);
  const std::vector<std::vector<size_t>> overlaps = view::FindOverlaps(marked);
  const int64_t todayStarts = view::AbsoluteMinute(today, 0);
  std::vector<PaneLine> notes;
  for (size_t i = 0; i < marked.size(); ++i) {
    for (const size_t j : overlaps[i]) {
      if (j <= i || std::max(marked[i].stop, marked[j].stop) <= todayStarts) continue;
      const view::MarkedProgramme& first = marked[i].start <= marked[j].start ? marked[i] : marked[j];
      const view::MarkedProgramme& second = &first == &marked[i] ? marked[j] : marked[i];
      char day[16];
      std::snprintf(day, sizeof day, "%02d/%02d ", first.date / 100 % 100, first.date % 100);
      PaneLine note;
      note.text = std::string("重複: ") + day + "【" + view::ClockText(first.start) + "】" + first.title + " と 【" +
                  view::ClockText(second.start) + "】" + second.title;
      note.flagged = true;
      note.entry = second.entry;
      note.date = std::to_string(second.date);
      if (const auto split = view::SplitWatchKey(second.key)) note.watchId = split->number;
      notes.push_back(std::move(note));
    }
  }
  return notes;
}

}  // namespace kanro::taskpane
