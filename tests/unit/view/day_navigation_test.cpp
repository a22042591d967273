#include "view/day_navigation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/clock.h"
#include "app/paths.h"
#include "support/temp_dir.h"

namespace kanro::view {
namespace {

namespace fs = std::filesystem;

TEST(HourAnchorTest, EveryHourJumpsToTheAnchorItsRowCarries) {
  const char* expected[24] = {"23", "0", "1", "2", "4", "top", "top", "6", "7", "8", "9", "10",
                              "11", "12", "13", "14", "15", "16", "17", "18", "19", "20", "21", "22"};
  for (unsigned hour = 0; hour < 24; ++hour) EXPECT_EQ(HourAnchor(59500 + hour), expected[hour]) << hour;
  EXPECT_EQ(HourAnchor(59499), "");
  EXPECT_EQ(HourAnchor(59524), "");
  EXPECT_EQ(HourAnchor(60007), "");
}

class ClockTest : public testing::Test {
 protected:
  void TearDown() override { app::SetClockForTesting({}); }
  static void SetNow(int year, int month, int day, int hour, int minute) {
    const int64_t now = app::FromLocalDate(year, month, day, hour, minute, 0);
    app::SetClockForTesting([now] { return now; });
  }
};

TEST_F(ClockTest, CurrentListingDayRunsFrom0455To0455) {
  // 10 March 2011 was a Thursday: before 04:55 the listing day is Wednesday.
  SetNow(2011, 3, 10, 3, 0);
  EXPECT_EQ(CurrentListingDayCommand(), 60007u + 3);
  EXPECT_EQ(CurrentHourCommand(), 59503u);
  EXPECT_EQ(HourAnchor(CurrentHourCommand()), "2");
  SetNow(2011, 3, 10, 4, 54);
  EXPECT_EQ(CurrentListingDayCommand(), 60007u + 3);
  SetNow(2011, 3, 10, 4, 55);
  EXPECT_EQ(CurrentListingDayCommand(), 60007u + 4);
  // Sunday 04:00 still belongs to Saturday of the week before.
  SetNow(2011, 3, 13, 4, 0);
  EXPECT_EQ(CurrentListingDayCommand(), 60007u + 6);
}

TEST_F(ClockTest, UnconvertibleTimeFallsBackToTheSixthDay) {
  app::SetClockForTesting([] { return INT64_MAX; });
  EXPECT_EQ(CurrentListingDayCommand(), 60006u);
}

class DataFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    app::SetDataDir(data_.path());
    fs::create_directories(app::DataFolder());
  }
  static void Page(const std::string& name, const std::string& bytes = "<html></html>") {
    test::WriteAll(app::DataFolder() / (name + ".htm"), bytes);
  }
  test::TempDir data_{"kanro-view-days"};
};

TEST_F(DataFolderTest, DayIsAvailableOnlyWithANonEmptyPageOfTheSelectedEntry) {
  Page("2011030908GooTv");
  Page("2011031008GooTv", "");          // an empty page cannot be shown
  Page("2011031113GooTv");              // another entry
  fs::create_directories(app::DataFolder() / "2011031208GooTv.htm");  // not a file
  const std::map<unsigned, std::string> dates = {
      {60010, "20110309"}, {60011, "20110310"}, {60012, "20110311"}, {60013, "20110312"}, {60014, ""}};
  const auto availability = ComputeDayAvailability(dates, "08GooTv");
  EXPECT_EQ(availability, (std::map<unsigned, int>{{60010, 1}, {60011, 0}, {60012, 0}, {60013, 0}, {60014, 0}}));
  // Nothing selected: no day has a page.
  for (const auto& [id, available] : ComputeDayAvailability(dates, "")) EXPECT_EQ(available, 0) << id;
}

TEST(DayCommandStateTest, EnabledWhenAvailableCheckedWhenAlsoOnScreen) {
  const std::map<unsigned, int> availability = {{60010, 1}, {60011, 0}};
  const std::map<unsigned, std::string> dates = {{60010, "20110309"}, {60011, "20110310"}};
  CommandState shown = DayCommandState(60010, availability, dates, "20110309");
  EXPECT_TRUE(shown.enabled);
  EXPECT_TRUE(shown.checked);
  CommandState other = DayCommandState(60010, availability, dates, "20110310");
  EXPECT_TRUE(other.enabled);
  EXPECT_FALSE(other.checked);
  // The day on screen without a page of the selected entry is neither.
  CommandState missing = DayCommandState(60011, availability, dates, "20110310");
  EXPECT_FALSE(missing.enabled);
  EXPECT_FALSE(missing.checked);
  CommandState unknown = DayCommandState(60019, availability, dates, "");
  EXPECT_FALSE(unknown.enabled);
  EXPECT_FALSE(unknown.checked);
}

TEST(DateTextTest, OnlyEightDigitsOfARealDateParse) {
  int y = 0, m = 0, d = 0;
  ASSERT_TRUE(ParseDate8("20110309", &y, &m, &d));
  EXPECT_EQ(y * 10000 + m * 100 + d, 20110309);
  EXPECT_TRUE(ParseDate8("20120229", &y, &m, &d));
  for (const char* bad : {"", "2011039", "201103090", "2011-3-9", "20110431", "20110229", "20111301", "2011030x"})
    EXPECT_FALSE(ParseDate8(bad, &y, &m, &d)) << bad;
  EXPECT_EQ(FormatDate8(2011, 3, 9), "20110309");
}

TEST_F(DataFolderTest, UpdateTextIsThePageModificationTime) {
  Page("2011030908GooTv");
  const fs::path page = app::DataFolder() / "2011030908GooTv.htm";
  const int64_t written = app::FromLocalDate(2011, 3, 8, 21, 4, 5);
  const auto sys = std::chrono::system_clock::from_time_t(static_cast<std::time_t>(written));
  fs::last_write_time(page, std::chrono::file_clock::from_sys(sys));
  EXPECT_EQ(ListingTimeText(page), "Update on 03/08 21:04:05");
  EXPECT_EQ(ListingTimeText(app::DataFolder() / "missing.htm"), "");
}

TEST(WindowCaptionTest, TitleIsFollowedByTheProgramName) {
  EXPECT_EQ(WindowCaption("x"), "x - Kanro");
}

}  // namespace
}  // namespace kanro::view
