#pragma once
// Calendar arithmetic on plain dates (no time zone): the listing pages name
// wall-clock times of their own day, which is all the exports need.
#include <cstdint>

namespace kanro::exports {

struct CivilDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Days since 1970-01-01 of a proleptic Gregorian date.
constexpr int64_t DaysFromCivil(CivilDate date) {
  const int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (date.month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

constexpr CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  return CivilDate{static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

// YYYYMMDD numbers, as the data pages and the watch lists name their days.
constexpr CivilDate FromDateNumber(int number) { return {number / 10000, number / 100 % 100, number % 100}; }
constexpr int ToDateNumber(CivilDate date) { return date.year * 10000 + date.month * 100 + date.day; }

// True when the number names a real calendar date.
constexpr bool IsValidDateNumber(int number) {
  const CivilDate date = FromDateNumber(number);
  if (date.year < 1900 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) return false;
  const CivilDate back = CivilFromDays(DaysFromCivil(date));
  return back.year == date.year && back.month == date.month && back.day == date.day;
}

constexpr int AddDays(int dateNumber, int64_t days) {
  return ToDateNumber(CivilFromDays(DaysFromCivil(FromDateNumber(dateNumber)) + days));
}

}  // namespace kanro::exports
