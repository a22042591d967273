// The day buttons follow local calendar dates, also across a change to or
// from daylight saving time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "app/command_ids.h"
#include "view/week_model.h"

namespace {

using namespace kanro::view;
using namespace kanro::app::command;

// Sets TZ for the test's life and restores the previous zone after it.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    hadOld_ = old != nullptr;
    if (hadOld_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (hadOld_) setenv("TZ", old_.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }

 private:
  bool hadOld_ = false;
  std::string old_;
};

int64_t LocalTime(int year, int month, int day, int hour, int minute) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_isdst = -1;
  return static_cast<int64_t>(std::mktime(&parts));
}

// The listing time of a local wall-clock moment.
int64_t ListingTimeAt(int year, int month, int day, int hour, int minute) {
  return LocalTime(year, month, day, hour, minute) - 17700;
}

TEST(WeekModelTest, CivilDatesRoundTripAndWeekdays) {
  for (int64_t days : {-800000LL, -1LL, 0LL, 59LL, 11016LL, 20522LL, 2932896LL})
    EXPECT_EQ(DaysFromCivil(CivilFromDays(days)), days);
  EXPECT_EQ(DaysFromCivil({2000, 3, 1}) - DaysFromCivil({2000, 2, 28}), 2);  // leap year
  EXPECT_EQ(DaysFromCivil({1900, 3, 1}) - DaysFromCivil({1900, 2, 28}), 1);
  EXPECT_EQ(Weekday({2011, 3, 9}), 3);   // Wednesday
  EXPECT_EQ(Weekday({1970, 1, 4}), 0);   // Sunday
  EXPECT_EQ(Weekday({1969, 12, 31}), 3);
  EXPECT_STREQ(WeekdaySuffix(0), "(日)");
  EXPECT_STREQ(WeekdaySuffix(7), "");
}

TEST(WeekModelTest, ThisWeekStartsAtLastWeeksSundayAndLabelsEachDay) {
  ScopedTimeZone zone("Asia/Tokyo");
  WeekModel model;
  model.SetWeek(ID_THIS_WEEK, ListingTimeAt(2011, 3, 9, 12, 0));
  EXPECT_EQ(model.FirstDay(), (LocalDate{2011, 2, 27}));
  std::vector<DayButton> buttons = model.Buttons();
  ASSERT_EQ(buttons.size(), 21u);
  EXPECT_EQ(buttons[0].id, 60000u);
  EXPECT_EQ(buttons[0].date, "20110227");
  EXPECT_EQ(buttons[0].label, "02/27(日)");
  EXPECT_EQ(buttons[10].date, "20110309");
  EXPECT_EQ(buttons[10].label, "03/09(水)");
  EXPECT_EQ(buttons[20].id, 60020u);
  EXPECT_EQ(model.DateMap().at(60020), "20110319");
}

TEST(WeekModelTest, WeekStepsMoveSevenDaysAndThisWeekReturns) {
  ScopedTimeZone zone("Asia/Tokyo");
  WeekModel model;
  const int64_t now = ListingTimeAt(2011, 3, 9, 12, 0);
  model.SetWeek(ID_THIS_WEEK, now);
  for (int i = 0; i < 3; ++i) model.SetWeek(ID_NEXT_WEEK, now + 86400 * 30);  // the time is ignored
  EXPECT_EQ(model.DateMap().at(60000), "20110320");
  model.SetWeek(ID_LAST_WEEK, now);
  EXPECT_EQ(model.DateMap().at(60000), "20110313");
  model.SetWeek(ID_THIS_WEEK, now);
  EXPECT_EQ(model.DateMap().at(60000), "20110227");
}

TEST(WeekModelTest, SundayBeforeFiveToFiveBelongsToTheWeekOfSaturday) {
  ScopedTimeZone zone("Asia/Tokyo");
  WeekModel model;
  model.SetWeek(ID_THIS_WEEK, ListingTimeAt(2011, 3, 13, 3, 0));  // Sunday 03:00: listing day Saturday 12th
  EXPECT_EQ(model.DateMap().at(60007), "20110306");
  model.SetWeek(ID_THIS_WEEK, ListingTimeAt(2011, 3, 13, 5, 0));  // after 04:55: the new week
  EXPECT_EQ(model.DateMap().at(60007), "20110313");
}

TEST(WeekModelTest, DaylightSavingNeitherRepeatsNorSkipsADate) {
  for (const char* zoneName : {"America/New_York", "Europe/Berlin", "Australia/Sydney"}) {
    ScopedTimeZone zone(zoneName);
    for (const LocalDate& around : {LocalDate{2026, 3, 10}, LocalDate{2026, 4, 7}, LocalDate{2026, 10, 28},
                                    LocalDate{2026, 11, 3}}) {
      WeekModel model;
      const int64_t now = ListingTimeAt(around.year, around.month, around.day, 0, 30);
      model.SetWeek(ID_THIS_WEEK, now);
      for (int step = 0; step < 4; ++step) {
        std::vector<DayButton> buttons = model.Buttons();
        for (size_t i = 1; i < buttons.size(); ++i) {
          const std::string& d = buttons[i].date;
          LocalDate date{std::stoi(d.substr(0, 4)), std::stoi(d.substr(4, 2)), std::stoi(d.substr(6, 2))};
          const std::string& p = buttons[i - 1].date;
          LocalDate previous{std::stoi(p.substr(0, 4)), std::stoi(p.substr(4, 2)), std::stoi(p.substr(6, 2))};
          EXPECT_EQ(DaysFromCivil(date) - DaysFromCivil(previous), 1) << zoneName << " " << d;
          EXPECT_EQ(Weekday(date), static_cast<int>(i % 7)) << zoneName << " " << d;
        }
        model.SetWeek(step < 2 ? ID_NEXT_WEEK : ID_LAST_WEEK, now);
      }
    }
  }
}

TEST(WeekModelTest, WatchPlanDescriptionUsesTheListingDate) {
  ScopedTimeZone zone("Asia/Tokyo");
  EXPECT_EQ(WatchPlanDescription(ListingTimeAt(2011, 3, 10, 3, 0)), "3/9(水)の視聴予定");
}

}  // namespace
