// Overlapping watch marks and the "on now and next" lines: plain time
// arithmetic over listing days, where a day's page runs past midnight to
// 05:00 of the next calendar day.
#include "view/watch_overlap.h"

#include <gtest/gtest.h>

#include "app/paths.h"
#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "unit/export/converted_pages.h"
#include "view/on_air.h"

namespace kanro::view {
namespace {

constexpr int kMonday = 20110307;
constexpr int kTuesday = 20110308;

MarkedProgramme Marked(int date, int start, int stop, const std::string& title) {
  MarkedProgramme programme;
  programme.date = date;
  programme.title = title;
  programme.start = AbsoluteMinute(date, start);
  programme.stop = AbsoluteMinute(date, stop);
  return programme;
}

using Overlaps = std::vector<std::vector<size_t>>;

TEST(WatchOverlapTest, OverlapsAreFoundAcrossListingsAndMidnightButTouchingIsNone) {
  const std::vector<MarkedProgramme> marked{
      Marked(kMonday, 1260, 1320, "a 21:00-22:00"),
      Marked(kMonday, 1320, 1380, "b 22:00-23:00"),    // touches a: no overlap
      Marked(kMonday, 1370, 1460, "c 22:50-0:20"),     // overlaps b, runs past midnight
      Marked(kMonday, 1450, 1480, "d 0:10-0:40"),      // on Monday's page after midnight: overlaps c
      Marked(kMonday, 1720, 1745, "e 4:40-5:05 Tue"),  // the end of Monday's page
      Marked(kTuesday, 300, 360, "f 5:00-6:00 Tue"),   // the start of Tuesday's: overlaps e
      Marked(kTuesday, 1260, 1320, "g Tue 21:00"),     // same clock time as a, a day later: none
      Marked(kTuesday, 1260, 1320, "h Tue 21:00"),     // the same slot in another listing
  };
  EXPECT_EQ(FindOverlaps(marked), (Overlaps{{}, {2}, {1, 3}, {2}, {5}, {4}, {7}, {6}}));
  EXPECT_EQ(OverlapNote(marked, {2, 3}), "【22:50】c 22:50-0:20 【0:10】d 0:10-0:40 と時間が重なっています");
  EXPECT_EQ(OverlapNote(marked, {}), "");
}

TEST(WatchOverlapTest, TheSameProgrammeMarkedTwiceOverlapsItselfOnceAndEmptyTimesNothing) {
  const std::vector<MarkedProgramme> marked{Marked(kMonday, 300, 360, "x"), Marked(kMonday, 300, 360, "x"),
                                            Marked(kMonday, 330, 330, "no length")};
  EXPECT_EQ(FindOverlaps(marked), (Overlaps{{1}, {0}, {}}));
}

exports::ListingDay Day(int date, const std::vector<std::tuple<size_t, int, int, std::string>>& shows,
                        std::vector<std::string> channels = {"ＮＨＫ総合", "日本テレビ"}) {
  exports::ListingDay day;
  day.date = date;
  for (std::string& name : channels) day.channels.push_back({std::move(name), "", "", ""});
  for (const auto& [channel, start, stop, title] : shows) {
    exports::ListingProgramme programme;
    programme.channel = channel;
    programme.startMinute = start;
    programme.stopMinute = stop;
    programme.title = title;
    day.programmes.push_back(programme);
  }
  return day;
}

TEST(OnAirTest, BeforeFiveTheDayBeforeIsOnAirAndTheNextComesFromTodaysPage) {
  const exports::ListingDay monday = Day(kMonday, {{0, 1620, 1740, "深夜映画"}, {1, 1680, 1740, "通販"}});
  const exports::ListingDay tuesday =
      Day(kTuesday, {{0, 300, 360, "おはよう"}, {0, 360, 420, "ニュース"}, {1, 330, 390, "朝の番組"}},
          {"日本テレビ", "ＮＨＫ総合"});
  // Tuesday 4:30: still Monday's listing day.
  const std::vector<OnAirLine> lines = OnNowAndNext({&monday, &tuesday}, AbsoluteMinute(kTuesday, 270));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].channel, "日本テレビ");  // the newest page's order
  ASSERT_TRUE(lines[0].now);
  EXPECT_EQ(lines[0].now->title, "通販");
  EXPECT_EQ(lines[0].minutesLeft, 30);
  ASSERT_TRUE(lines[0].next);
  EXPECT_EQ(lines[0].next->title, "おはよう");
  // Columns are matched by channel name: the pages order them differently.
  ASSERT_TRUE(lines[1].now && lines[1].next);
  EXPECT_EQ(lines[1].now->title, "深夜映画");
  EXPECT_EQ(lines[1].next->title, "朝の番組");
  EXPECT_EQ(ClockText(lines[1].now->stop), "5:00");

  // Exactly at 5:00 the programme ending then is over and the next is on.
  const std::vector<OnAirLine> atFive = OnNowAndNext({&tuesday, &monday}, AbsoluteMinute(kTuesday, 300));
  ASSERT_TRUE(atFive[0].now && atFive[0].next);
  EXPECT_EQ(atFive[0].now->title, "おはよう");
  EXPECT_EQ(atFive[0].next->title, "ニュース");
  EXPECT_FALSE(atFive[1].now);  // a gap until 5:30
  ASSERT_TRUE(atFive[1].next);
  EXPECT_EQ(atFive[1].next->title, "朝の番組");

  // After the last programme nothing is on or next; a missing page is skipped.
  const std::vector<OnAirLine> late = OnNowAndNext({nullptr, &tuesday}, AbsoluteMinute(kTuesday, 1000));
  for (const OnAirLine& line : late) {
    EXPECT_FALSE(line.now);
    EXPECT_FALSE(line.next);
  }
}

TEST(WatchOverlapTest, TheCaptionNamesEveryOverlappingMarkOfTheDayAndTheLaterOnesAlertWarns) {
  app::DeleteAllProfileValues();
  test::TempDir dir("kanro-overlap");
  app::SetDataDir(dir.path());
  std::filesystem::create_directories(app::DataFolder());
  std::filesystem::create_directories(app::HeadFolder());
  const exports::ConvertedPages pages = exports::ConvertSample(sites::SamplePageOptions{});
  std::filesystem::copy_file(pages.head, app::HeadFolder() / "08GooTv.htm");
  std::filesystem::copy_file(pages.data, app::DataFolder() / "2011030908GooTv.htm");
  const auto read = exports::ReadListingPages(pages.head, pages.data, 20110309);
  ASSERT_TRUE(read.ok) << read.error;
  const exports::ListingProgramme *early = nullptr, *late = nullptr, *apart = nullptr;
  for (const auto& p : read.day.programmes)
    for (const auto& q : read.day.programmes)
      if (!early && p.channel == 0 && q.channel == 1 && !p.watchId.empty() && !q.watchId.empty() &&
          p.startMinute < q.startMinute && q.startMinute < p.stopMinute)
        early = &p, late = &q;
  ASSERT_TRUE(early && late);
  for (const auto& p : read.day.programmes)
    if (!apart && p.channel == 0 && p.startMinute >= std::max(early->stopMinute, late->stopMinute) && !p.watchId.empty())
      apart = &p;
  ASSERT_NE(apart, nullptr);
  WriteProfileString("Watch", "20110309",
                     late->watchId + "08GooTv," + apart->watchId + "08GooTv," + early->watchId + "08GooTv,");
  WriteProfileString("Watch", "20110308", "012308GooTv,");  // its page is gone

  ListingDayCache cache;
  const DayOverlaps overlaps = OverlapsOfDay(20110309, "08GooTv", cache);
  EXPECT_NE(overlaps.captionNote.find(early->title), std::string::npos) << overlaps.captionNote;
  EXPECT_NE(overlaps.captionNote.find(late->title), std::string::npos);
  EXPECT_EQ(overlaps.captionNote.find(apart->title), std::string::npos);
  ASSERT_EQ(overlaps.alertNotes.size(), 1u);
  EXPECT_EQ(overlaps.alertNotes.begin()->first, late->watchId);
  EXPECT_NE(overlaps.alertNotes.begin()->second.find(early->title), std::string::npos);
  // Another listing's page on screen: its alerts get no notes of this one.
  EXPECT_TRUE(OverlapsOfDay(20110309, "13GooTv", cache).alertNotes.empty());
  app::DeleteAllProfileValues();
}

}  // namespace
}  // namespace kanro::view
