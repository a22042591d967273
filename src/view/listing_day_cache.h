#pragma once
// The downloaded listing days read back from the data folder, each page read
// once however often it is asked for. The watch list, the overlap check, the
// "on now" lines and the watch rules all look programmes up here.
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "export/listing_day.h"
#include "view/watch_list.h"

namespace kanro::view {

class ListingDayCache {
 public:
  // The day of one entry (date YYYYMMDD); nullptr when the page is missing
  // or cannot be read.
  const exports::ListingDay* Day(int date, const std::string& entry);
  // The programme a watch key names on its day's page; nullptr when the page
  // or the programme is gone.
  const exports::ListingProgramme* Find(int date, const WatchKey& key);

 private:
  struct Page {
    bool ok = false;
    exports::ListingDay day;
    std::map<std::string, size_t> byWatchId;
  };
  const Page& Load(int date, const std::string& entry);
  std::map<std::pair<int, std::string>, Page> m_pages;
};

// Minutes since 1970-01-01 00:00 of a minute of a listing day, so times of
// different days and listings compare directly (a listing's own wall clock).
int64_t AbsoluteMinute(int listingDate, int minuteOfDay);
// The local wall-clock "now" as such a minute.
int64_t AbsoluteMinuteOf(int64_t time);

}  // namespace kanro::view
