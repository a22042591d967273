// The daily timer's due time on local dates, also across daylight-saving
// changes, and its catching up after a suspend or a clock change.
#include "frame/daily_timer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "app/clock.h"
#include "support/time_zone.h"
#include "text/codepage.h"

namespace {

using kanro::app::FromLocalDate;
using kanro::app::ToLocalDate;
using kanro::frame::CaptionDescription;
using kanro::frame::CDailyTimer;
using kanro::frame::NextListingDayStart;

// Runs a test in a time zone given as a POSIX TZ string, restoring the old one.
class DailyTimerTest : public testing::Test {
 protected:
  void UseZone(const char* zone) { zone_.Use(zone); }

 private:
  kanro::test::ScopedTimeZone zone_;
};

int64_t At(int y, int mo, int d, int h, int mi, int s = 0) { return FromLocalDate(y, mo, d, h, mi, s); }

TEST_F(DailyTimerTest, DueAtTheNext0455EvenWhenStartedShortlyBefore) {
  UseZone("JST-9");
  EXPECT_EQ(NextListingDayStart(At(2026, 3, 10, 4, 50)), At(2026, 3, 10, 4, 55));
  EXPECT_EQ(NextListingDayStart(At(2026, 3, 10, 4, 54, 59)), At(2026, 3, 10, 4, 55));
  // At 04:55 exactly the day has begun: the next one is tomorrow.
  EXPECT_EQ(NextListingDayStart(At(2026, 3, 10, 4, 55)), At(2026, 3, 11, 4, 55));
  EXPECT_EQ(NextListingDayStart(At(2026, 12, 31, 23, 59)), At(2027, 1, 1, 4, 55));
  EXPECT_EQ(NextListingDayStart(At(2028, 2, 28, 12, 0)), At(2028, 2, 29, 4, 55));

  // Started at 04:50: fires at 04:55, then 24 hours later.
  CDailyTimer timer;
  timer.Arm(At(2026, 3, 10, 4, 50));
  EXPECT_FALSE(timer.Check(At(2026, 3, 10, 4, 54, 59)));
  EXPECT_TRUE(timer.Check(At(2026, 3, 10, 4, 55)));
  EXPECT_EQ(timer.Due(), At(2026, 3, 11, 4, 55));
  EXPECT_EQ(timer.SecondsLeft(At(2026, 3, 10, 4, 55)), 86400);
}

TEST_F(DailyTimerTest, DaylightSavingDaysAreNeitherSkippedNorDoubled) {
  UseZone("EST5EDT,M3.2.0,M11.1.0");  // 2026: on 8 March, off 1 November, at 02:00
  CDailyTimer timer;
  timer.Arm(At(2026, 3, 7, 4, 55));
  EXPECT_EQ(timer.Due(), At(2026, 3, 8, 4, 55));
  EXPECT_EQ(timer.Due() - At(2026, 3, 7, 4, 55), 23 * 3600);  // the short day
  EXPECT_TRUE(timer.Check(timer.Due()));
  EXPECT_EQ(ToLocalDate(timer.Due()).day, 9);
  EXPECT_EQ(ToLocalDate(timer.Due()).hour, 4);

  timer.Arm(At(2026, 10, 31, 5, 0));
  EXPECT_EQ(timer.Due() - At(2026, 10, 31, 4, 55), 25 * 3600);  // the long day
  const kanro::app::LocalDate due = ToLocalDate(timer.Due());
  EXPECT_EQ(due.month, 11);
  EXPECT_EQ(due.day, 1);
  EXPECT_EQ(due.hour, 4);
  EXPECT_EQ(due.minute, 55);
}

TEST_F(DailyTimerTest, CatchesUpAfterSuspendAndFollowsAClockSetBack) {
  UseZone("JST-9");
  CDailyTimer timer;
  timer.Arm(At(2026, 3, 10, 12, 0));
  // Suspended over two mornings: fires once on waking, then waits for the
  // next 04:55 after the wall clock.
  EXPECT_TRUE(timer.Check(At(2026, 3, 12, 9, 30)));
  EXPECT_FALSE(timer.Check(At(2026, 3, 12, 9, 31)));
  EXPECT_EQ(timer.Due(), At(2026, 3, 13, 4, 55));

  // The clock goes back three days: the due time follows it.
  EXPECT_FALSE(timer.Check(At(2026, 3, 9, 20, 0)));
  EXPECT_EQ(timer.Due(), At(2026, 3, 10, 4, 55));
}

TEST_F(DailyTimerTest, CaptionDescriptionNamesTheListingDay) {
  UseZone("JST-9");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(CaptionDescription(At(2026, 3, 10, 12, 0))), "3/10(火)の視聴予定");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(CaptionDescription(At(2026, 11, 1, 0, 5))), "11/1(日)の視聴予定");
}

}  // namespace
