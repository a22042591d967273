#pragma once
// What is on now and next on every channel of one listing: the programme
// whose time holds "now" and the one after it. Before 05:00 the listing day
// is still the previous one, whose page runs on past midnight, so both the
// current and the previous listing day are looked at.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "export/listing_day.h"

namespace kanro::view {

struct OnAirProgramme {
  int date = 0;          // listing date of its page
  std::string title;     // UTF-8
  std::string watchId;   // for scrolling to its cell; may be empty
  int64_t start = 0;     // AbsoluteMinute
  int64_t stop = 0;
};

struct OnAirLine {
  std::string channel;  // UTF-8
  std::optional<OnAirProgramme> now;
  std::optional<OnAirProgramme> next;
  int minutesLeft = 0;  // of `now`
};

// One line per channel, in the channel order of the latest day given; days
// are the pages of one listing entry (any order), now an AbsoluteMinute.
std::vector<OnAirLine> OnNowAndNext(const std::vector<const exports::ListingDay*>& days, int64_t now);

}  // namespace kanro::view
