#pragma once
// Marked programmes whose times overlap, in any listings, on one day or
// across midnight. Programmes that only touch (one ends as the next begins)
// do not overlap. Nothing is unmarked; the caller only flags them.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "view/listing_day_cache.h"

namespace kanro::view {

struct MarkedProgramme {
  int date = 0;          // the listing date of its page
  std::string key;       // the stored watch key (CP932)
  std::string entry;     // "08GooTv"
  std::string channel;   // UTF-8
  std::string title;     // UTF-8
  int64_t start = 0;     // AbsoluteMinute
  int64_t stop = 0;
};

// For every programme, the indexes of the others it overlaps, ascending.
std::vector<std::vector<size_t>> FindOverlaps(const std::vector<MarkedProgramme>& programmes);

// The marked programmes of the days given (YYYYMMDD), in list order, found on
// their pages; a mark whose page or programme is gone is left out.
std::vector<MarkedProgramme> ReadMarkedProgrammes(const std::vector<int>& dates, ListingDayCache& pages);

// The stored watch-list days from firstDate on, ascending.
std::vector<int> WatchListDates(int firstDate);

// "【21:00】ニュース と重なっています" style note for one programme's
// overlaps (UTF-8), empty when it has none.
std::string OverlapNote(const std::vector<MarkedProgramme>& programmes, const std::vector<size_t>& overlaps);

// What today's caption and alerts say about overlaps, from the marks of the
// day before (whose page runs past midnight) and of the day itself.
struct DayOverlaps {
  // For the caption summary (UTF-8): " ※重複: 【21:00】A／【21:30】B", empty when
  // no two marks of the day overlap.
  std::string captionNote;
  // For the alert of the later programme of each overlapping pair: the
  // programme number (on the entry given) -> "【20:30】A と時間が重なっています".
  std::map<std::string, std::string> alertNotes;
};
DayOverlaps OverlapsOfDay(int date, const std::string& entry, ListingDayCache& pages);

// "H:MM" of an absolute minute.
std::string ClockText(int64_t absoluteMinute);

}  // namespace kanro::view
