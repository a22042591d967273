#include "app/clock.h"

#include <mutex>

namespace kanro::app {
namespace {

std::mutex& ClockMutex() {
  static std::mutex mutex;
  return mutex;
}

std::function<int64_t()>& ClockOverride() {
  static std::function<int64_t()> clock;
  return clock;
}

}  // namespace

int64_t Now() {
  std::function<int64_t()> clock;
  {
    std::lock_guard<std::mutex> lock(ClockMutex());
    clock = ClockOverride();
  }
  if (clock) return clock();
  return static_cast<int64_t>(std::time(nullptr));
}

void SetClockForTesting(std::function<int64_t()> clock) {
  std::lock_guard<std::mutex> lock(ClockMutex());
  ClockOverride() = std::move(clock);
}

LocalDate ToLocalDate(int64_t time) {
  LocalDate date;
  std::time_t t = static_cast<std::time_t>(time);
  std::tm fields{};
  if (static_cast<int64_t>(t) != time || localtime_r(&t, &fields) == nullptr) return date;
  date.year = fields.tm_year + 1900;
  date.month = fields.tm_mon + 1;
  date.day = fields.tm_mday;
  date.weekday = fields.tm_wday;
  date.hour = fields.tm_hour;
  date.minute = fields.tm_min;
  date.second = fields.tm_sec;
  return date;
}

int64_t FromLocalDate(int year, int month, int day, int hour, int minute, int second) {
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 60)
    return -1;
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = -1;
  std::time_t t = mktime(&fields);
  if (t == static_cast<std::time_t>(-1)) return -1;
  // mktime normalises 31 February into March; that is not a date.
  if (fields.tm_mday != day || fields.tm_mon != month - 1) return -1;
  return static_cast<int64_t>(t);
}

}  // namespace kanro::app
