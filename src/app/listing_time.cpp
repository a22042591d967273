#include "app/listing_time.h"

#include <cstdio>

#include "app/clock.h"

namespace kanro::app {

int64_t GetListingTime() { return Now() - kListingDayOffset; }

int DateNumber(int64_t time) {
  LocalDate date = ToLocalDate(time);
  return date.year * 10000 + date.month * 100 + date.day;
}

std::string DateText(int64_t time) {
  LocalDate date = ToLocalDate(time);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", date.year, date.month, date.day);
  return buffer;
}

}  // namespace kanro::app
