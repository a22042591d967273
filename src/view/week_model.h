#pragma once
// The three weeks behind the twenty-one day buttons, on local calendar dates:
// a week step moves the first button seven calendar days, so a change to or
// from daylight saving time never shows a date twice or skips one.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kanro::view {

struct LocalDate {
  int year = 1970;
  int month = 1;
  int day = 1;
  bool operator==(const LocalDate&) const = default;
};

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(const LocalDate& date);
LocalDate CivilFromDays(int64_t days);
// 0 = Sunday.
int Weekday(const LocalDate& date);
// The local date of a moment (false when it cannot be broken down).
bool LocalDateOf(int64_t time, LocalDate* date);

// "(日)" ... "(土)"; "" outside 0-6.
const char* WeekdaySuffix(int weekday);
// The caption bar's image description for a listing time: "%d/%d%sの視聴予定"
// (month, day, weekday suffix; no suffix when the date cannot be broken down).
std::string WatchPlanDescription(int64_t listingTime);

struct DayButton {
  unsigned id;        // 60000-60020
  std::string date;   // "YYYYMMDD"
  std::string label;  // "%02d/%02d%s", e.g. "03/09(水)" (UTF-8)
};

class WeekModel {
 public:
  // 60121 moves the weeks seven days back, 60123 seven days forward; any other
  // id shows last, this and next week around the listing date of listingTime
  // (the first button is the Sunday of last week). A step before any week
  // was set starts from this week.
  void SetWeek(unsigned id, int64_t listingTime);

  bool IsSet() const { return set_; }
  LocalDate FirstDay() const { return CivilFromDays(firstDay_); }
  std::vector<DayButton> Buttons() const;
  // Day command id -> "YYYYMMDD".
  std::map<unsigned, std::string> DateMap() const;

 private:
  int64_t firstDay_ = 0;  // days since 1970-01-01
  bool set_ = false;
};

}  // namespace kanro::view
