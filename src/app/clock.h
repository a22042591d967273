#pragma once
// The program's idea of "now". Tests replace it to check date rules.
#include <cstdint>
#include <ctime>
#include <functional>

namespace kanro::app {

// Seconds since 1970 (UTC), like time().
int64_t Now();
// Replaces the clock; an empty function restores the system clock.
void SetClockForTesting(std::function<int64_t()> clock);

// Local calendar fields of a moment; every field is 0 when the conversion fails.
struct LocalDate {
  int year = 0;
  int month = 0;
  int day = 0;
  int weekday = 0;  // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};
LocalDate ToLocalDate(int64_t time);
// Local time of the given fields, or -1 when they do not form a time.
int64_t FromLocalDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

}  // namespace kanro::app
