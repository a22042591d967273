#include "view/listing_day_cache.h"

#include "app/clock.h"
#include "export/civil_date.h"
#include "export/listing_page_reader.h"
#include "view/page_locations.h"

namespace kanro::view {

const ListingDayCache::Page& ListingDayCache::Load(int date, const std::string& entry) {
  auto [found, added] = m_pages.try_emplace({date, entry});
  Page& page = found->second;
  if (added) {
    exports::PageReadResult read =
        exports::ReadListingPages(HeaderPagePath(entry), DataPagePath(std::to_string(date), entry), date);
    if (read.ok) {
      page.ok = true;
      page.day = std::move(read.day);
      for (size_t i = 0; i < page.day.programmes.size(); ++i)
        if (!page.day.programmes[i].watchId.empty()) page.byWatchId.emplace(page.day.programmes[i].watchId, i);
    }
  }
  return page;
}

const exports::ListingDay* ListingDayCache::Day(int date, const std::string& entry) {
  const Page& page = Load(date, entry);
  return page.ok ? &page.day : nullptr;
}

const exports::ListingProgramme* ListingDayCache::Find(int date, const WatchKey& key) {
  const Page& page = Load(date, key.entry);
  const auto found = page.byWatchId.find(key.number);
  return found == page.byWatchId.end() ? nullptr : &page.day.programmes[found->second];
}

int64_t AbsoluteMinute(int listingDate, int minuteOfDay) {
  return exports::DaysFromCivil(exports::FromDateNumber(listingDate)) * 1440 + minuteOfDay;
}

int64_t AbsoluteMinuteOf(int64_t time) {
  const app::LocalDate local = app::ToLocalDate(time);
  return AbsoluteMinute(local.year * 10000 + local.month * 100 + local.day, local.hour * 60 + local.minute);
}

}  // namespace kanro::view
