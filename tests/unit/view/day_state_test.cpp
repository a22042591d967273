// The one day state: the week of the day buttons, what they offer for the
// selected listing, the day on screen, and who hears of which change.
#include "view/day_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "app/clock.h"
#include "app/paths.h"
#include "support/temp_dir.h"
#include "view/current_date.h"

namespace kanro::view {
namespace {

namespace fs = std::filesystem;

class DayStateTest : public testing::Test {
 protected:
  void SetUp() override {
    app::SetDataDir(data_.path());
    fs::create_directories(app::DataFolder());
    for (const char* page : {"2011030908GooTv.htm", "2011031008GooTv.htm", "2011031013YahooAm.htm"})
      test::WriteAll(app::DataFolder() / page, "page");
    days_.Observe([this](unsigned changes) { changes_.push_back(changes); });
  }
  // 10 March 2011, 03:00: the listing day is Wednesday 9 March.
  static int64_t ListingTime() { return app::FromLocalDate(2011, 3, 10, 3, 0, 0); }

  test::TempDir data_;
  DayState days_;
  std::vector<unsigned> changes_;
};

TEST_F(DayStateTest, TheWeekAndTheEntryDecideWhichButtonsHaveAPage) {
  days_.SetWeek(60122, ListingTime());
  EXPECT_EQ(days_.DateOf(60007), "20110306");  // this week's Sunday
  EXPECT_EQ(days_.ButtonOf("20110309"), 60010u);
  EXPECT_FALSE(days_.IsAvailable(60010)) << "no listing selected yet";
  days_.SetEntry("08GooTv");
  EXPECT_TRUE(days_.IsAvailable(60010));
  EXPECT_TRUE(days_.IsAvailable(60011));
  EXPECT_FALSE(days_.IsAvailable(60012));
  days_.SetEntry("13YahooAm");
  EXPECT_FALSE(days_.IsAvailable(60010));
  EXPECT_TRUE(days_.IsAvailable(60011));
  // Next week holds none of the pages.
  days_.SetWeek(60123, ListingTime());
  EXPECT_EQ(days_.ButtonOf("20110310"), 60004u);
  EXPECT_TRUE(days_.IsAvailable(60004));
  EXPECT_EQ(changes_, (std::vector<unsigned>{DayState::kWeek | DayState::kAvailability,
                                             DayState::kEntry | DayState::kAvailability,
                                             DayState::kEntry | DayState::kAvailability,
                                             DayState::kWeek | DayState::kAvailability}));
}

TEST_F(DayStateTest, AResultDayOffTheButtonsBringsThisWeekBackInOneChange) {
  days_.SetWeek(60122, ListingTime());
  days_.SetWeek(60123, ListingTime());
  days_.SetWeek(60123, ListingTime());
  ASSERT_EQ(days_.ButtonOf("20110310"), 0u);
  changes_.clear();
  days_.ShowDay("08GooTv", "20110310", ListingTime());
  EXPECT_EQ(changes_, (std::vector<unsigned>{DayState::kWeek | DayState::kEntry | DayState::kDate |
                                             DayState::kAvailability}));
  EXPECT_EQ(days_.ButtonOf("20110310"), 60011u);
  const CommandState state = days_.DayCommandState(60011);
  EXPECT_TRUE(state.enabled && state.checked);
  EXPECT_FALSE(days_.DayCommandState(60010).checked);
  // A day on the buttons leaves the week as it is.
  changes_.clear();
  days_.ShowDay("08GooTv", "20110309", ListingTime());
  EXPECT_EQ(changes_, (std::vector<unsigned>{DayState::kEntry | DayState::kDate | DayState::kAvailability}));
}

TEST_F(DayStateTest, PagesWrittenLaterAreOfferedOnceAvailabilityIsRead) {
  days_.SetEntry("08GooTv");
  days_.SetWeek(60122, ListingTime());
  EXPECT_FALSE(days_.IsAvailable(60012));
  test::WriteAll(app::DataFolder() / "2011031108GooTv.htm", "page");
  EXPECT_FALSE(days_.IsAvailable(60012));
  days_.RefreshAvailability();
  EXPECT_TRUE(days_.IsAvailable(60012));
  EXPECT_EQ(changes_.back(), unsigned{DayState::kAvailability});
}

TEST_F(DayStateTest, CurrentDateReadsTheNewestDayStateWhileItLives) {
  days_.SetDate("20110309");
  EXPECT_EQ(CurrentDate(), "20110309");
  {
    DayState other;
    EXPECT_EQ(CurrentDate(), "");
    other.SetDate("20110310");
    EXPECT_EQ(CurrentDate(), "20110310");
  }
  EXPECT_EQ(CurrentDate(), "20110309");
}

}  // namespace
}  // namespace kanro::view
