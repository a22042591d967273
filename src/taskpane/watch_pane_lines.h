#pragma once
// The lines of the task pane's groups "放送中" (on now and next on every
// channel of the selected listing) and "自動視聴予定" (the programmes the
// watch rules marked, from today on, with the overlapping marks flagged).
// Plain logic; the pane shows the texts and hands a click to the view.
#include <cstdint>
#include <string>
#include <vector>

#include "view/listing_day_cache.h"

namespace kanro::taskpane {

struct PaneLine {
  std::string text;     // UTF-8
  std::string toolTip;  // UTF-8; empty: the text itself
  bool flagged = false; // an overlap: shown as a warning
  // Where a click goes: the page of this entry and date, the programme's cell.
  std::string entry;
  std::string date;     // YYYYMMDD
  std::string watchId;
};

// "ＮＨＫ総合 ニュース あと12分 ▶ 21:00 ドラマ" per channel of the entry, for
// the moment now (seconds) and the current listing date today.
std::vector<PaneLine> OnAirLines(const std::string& entry, int today, int64_t now, view::ListingDayCache& pages);

// "03/09 21:00 ＮＨＫ総合 ニュース" per programme a rule marked that is still
// marked, from today on; overlapping marks (any marks) flagged, with the
// programmes they overlap as tool tip.
std::vector<PaneLine> AutoMarkedLines(int today, view::ListingDayCache& pages);

// One flagged note per pair of marked programmes (set by hand or by a rule)
// whose times overlap, from today on: "重複: 03/09 【21:00】A と 【21:30】B".
std::vector<PaneLine> OverlapNotes(int today, view::ListingDayCache& pages);

}  // namespace kanro::taskpane
