#include "view/on_air.h"

#include <algorithm>
#include <map>

#include "view/listing_day_cache.h"

namespace kanro::view {

std::vector<OnAirLine> OnNowAndNext(const std::vector<const exports::ListingDay*>& days, int64_t now) {
  std::vector<const exports::ListingDay*> ordered;
  for (const exports::ListingDay* day : days)
    if (day) ordered.push_back(day);
  std::sort(ordered.begin(), ordered.end(), [](auto* a, auto* b) { return a->date > b->date; });

  std::vector<OnAirLine> lines;
  std::map<std::string, size_t> byName;
  // Channel names decide which columns of two days are one channel; the
  // newest page names the order.
  for (const exports::ListingDay* day : ordered)
    for (const exports::ListingChannel& channel : day->channels)
      if (byName.emplace(channel.name, lines.size()).second) lines.push_back(OnAirLine{channel.name, {}, {}, 0});

  for (const exports::ListingDay* day : ordered) {
    for (const exports::ListingProgramme& programme : day->programmes) {
      if (programme.channel >= day->channels.size()) continue;
      OnAirLine& line = lines[byName.at(day->channels[programme.channel].name)];
      OnAirProgramme item{day->date, programme.title, programme.watchId, AbsoluteMinute(day->date, programme.startMinute),
                          AbsoluteMinute(day->date, programme.stopMinute)};
      if (item.start <= now && now < item.stop) {
        if (!line.now || item.start > line.now->start) line.now = item;
      } else if (item.start > now) {
        if (!line.next || item.start < line.next->start) line.next = item;
      }
    }
  }
  for (OnAirLine& line : lines)
    if (line.now) line.minutesLeft = static_cast<int>(line.now->stop - now);
  return lines;
}

}  // namespace kanro::view
