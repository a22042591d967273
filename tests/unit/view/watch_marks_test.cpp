// Watch marks, the caption summary and the start alerts, in a fixed time zone.
#include "view/watch_marks.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "app/clock.h"
#include "text/codepage.h"
#include "view/alert_schedule.h"

namespace kanro::view {
namespace {

int64_t Local(int year, int month, int day, int hour, int minute, int second = 0) {
  return app::FromLocalDate(year, month, day, hour, minute, second);
}

// A programme cell as the view collects it from a converted goo page (tag
// names in capitals): the start time and the title in STRONG elements, the
// new-series icon, the watch link, and for a new series the hidden copy of
// the title.
PageCell Cell(const std::string& time, const std::string& title, const std::string& id,
              const std::string& className = "genre_01", bool isNew = false) {
  std::string html = "<A href=\"http://tv.example/program/1/\"><STRONG>" + time + "</STRONG> ";
  if (isNew) html += "<IMG src=\"../Image/shinban.gif\">";
  html += "<STRONG>" + title + "</STRONG></A> <A href=\"prp://watch?ID=" + id +
          "&amp;TIME=5%3A00&amp;TITLE=%83%6A\"><IMG src=\"../Image/watch.gif\" border=\"0\"></A>";
  if (isNew) html += "<SPAN style=\"display: none;\">【新】<STRONG>" + title + "</STRONG></SPAN>";
  PageCell cell;
  cell.markup = text::Utf8ToWide(html);
  cell.className = text::Utf8ToWide(className);
  return cell;
}

// A programme of a converted goo page as the browser lists its cells: the
// programme's cell, whose table holds a second cell with the same link.
std::vector<PageCell> NestedProgramme(const std::string& time, const std::string& title, const std::string& id) {
  PageCell inner = Cell(time, title, id, "");
  PageCell outer;
  outer.markup = U"<TABLE class=\"prog\"><TBODY><TR><TD valign=\"top\">" + inner.markup +
                 U"</TD></TR></TBODY></TABLE><DIV class=\"desc\">" + text::Utf8ToWide("注目の一戦") + U"</DIV>";
  outer.className = U"genre_01";
  return {outer, inner};
}

// "cell:class" per change, UTF-8.
std::vector<std::string> Changes(const WatchMarkPass& pass) {
  std::vector<std::string> out;
  for (const CellChange& change : pass.changes)
    out.push_back(std::to_string(change.cell) + ":" + text::WideToUtf8(change.className.value_or(U"<none>")));
  return out;
}

class WatchMarksTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }
  static WatchMarkRequest Request(std::vector<std::string> keys, bool today, int64_t now) {
    WatchMarkRequest request;
    request.keys = std::move(keys);
    request.date = "20110309";
    request.entry = "08GooTv";
    request.today = today;
    request.now = now;
    return request;
  }
};

TEST_F(WatchMarksTest, MarkedCellsGainTheClassOnceAndUnmarkedOnesLoseIt) {
  const std::vector<PageCell> cells = {
      Cell("19:00", "A", "0123"),
      Cell("19:30", "B", "12345"),                           // ID 1234 must not mark it
      Cell("20:00", "C", "0045", "genre_02 watch"),          // marked by another entry's key only
      Cell("20:30", "D", "0099", "genre_03 watch keyword"),  // already marked
      Cell("21:00", "E", "0100", "genre_04 watchable"),
  };
  const auto pass =
      DecideWatchMarks(cells, Request({"012308GooTv", "123408GooTv", "004513GooTv", "009908GooTv"}, false, 0));
  EXPECT_EQ(Changes(pass), (std::vector<std::string>{"0:genre_01 watch", "2:genre_02"}));
  EXPECT_FALSE(pass.today);
  EXPECT_TRUE(pass.summary.empty());
  EXPECT_TRUE(pass.alerts.empty());

  // An empty list takes every mark away.
  EXPECT_EQ(Changes(DecideWatchMarks(cells, Request({}, false, 0))),
            (std::vector<std::string>{"2:genre_02", "3:genre_03 keyword"}));
}

TEST_F(WatchMarksTest, TodaysSummaryShowsTimeAndVisibleTitleAsPlainText) {
  const std::vector<PageCell> cells = {
      Cell("5:00", "朝の<B>ニュース</B> &amp; 天気&nbsp;&#39;予報&#x27; &lt;字&gt;", "0001", "genre_01", true),
      Cell("6:30", "体操", "0002"),
      Cell("7:00", "", "0003"),
  };
  PageCell withoutTime = Cell("x", "y", "0004");
  withoutTime.markup = U"<A href=\"prp://watch?ID=0004&amp;TIME=1\">only a link</A>";
  std::vector<PageCell> all = cells;
  all.push_back(withoutTime);

  const auto pass = DecideWatchMarks(
      all, Request({"000108GooTv", "000208GooTv", "000308GooTv", "000408GooTv"}, true, Local(2011, 3, 9, 4, 59)));
  EXPECT_TRUE(pass.today);
  EXPECT_EQ(text::Cp932ToUtf8(pass.summary), "【5:00】朝のニュース & 天気 '予報' <字> 【6:30】体操 【7:00】 ");
  EXPECT_EQ(pass.changes.size(), 4u);  // the cell without STRONG elements is marked all the same
}

TEST_F(WatchMarksTest, ANestedProgrammeCellIsMarkedTwiceButSummedUpAndAlertedOnce) {
  const auto pass = DecideWatchMarks(NestedProgramme("19:00", "サッカー", "0000"),
                                     Request({"000008GooTv"}, true, Local(2011, 3, 9, 18, 0)));
  EXPECT_EQ(Changes(pass), (std::vector<std::string>{"0:genre_01 watch", "1: watch"}));
  EXPECT_EQ(text::Cp932ToUtf8(pass.summary), "【19:00】サッカー ");
  ASSERT_EQ(pass.alerts.size(), 1u);
  EXPECT_EQ(pass.alerts[0].due, Local(2011, 3, 9, 18, 59));
}

TEST_F(WatchMarksTest, TodaysMarksBecomeAlertsUnlessTheyAreOff) {
  const int64_t now = Local(2011, 3, 9, 18, 0, 20);
  const std::vector<PageCell> cells = {Cell("19:00", "ニュース", "0123"), Cell("18:03", "天気", "0045"),
                                       Cell("ab:cd", "深夜", "0077"), Cell("19:00", "映画", "0099")};
  WatchMarkRequest request = Request({"012308GooTv", "004508GooTv", "007708GooTv"}, true, now);
  request.alertMinute = 5;

  const auto pass = DecideWatchMarks(cells, request);
  ASSERT_EQ(pass.alerts.size(), 2u);
  EXPECT_EQ(pass.alerts[0].id, 123);
  EXPECT_EQ(text::Cp932ToUtf8(pass.alerts[0].title), "ニュース");
  EXPECT_EQ(pass.alerts[0].due - now, 3300);
  // Hour and minute that are not numbers read as 0:00, the small hours.
  EXPECT_EQ(pass.alerts[1].id, 77);
  EXPECT_EQ(pass.alerts[1].due, Local(2011, 3, 9, 23, 55, 20));

  request.alertsOn = false;
  const auto silent = DecideWatchMarks(cells, request);
  EXPECT_TRUE(silent.alerts.empty());
  EXPECT_EQ(silent.summary, pass.summary);
}

TEST_F(WatchMarksTest, DueTimeTakesTheDayFromThePageAndTheSecondsFromNow) {
  const int64_t evening = Local(2011, 3, 9, 18, 0, 20);
  EXPECT_EQ(AlertDueTime(20110309, 19, 0, 5, evening), Local(2011, 3, 9, 18, 55, 20));
  EXPECT_EQ(AlertDueTime(20110309, 18, 3, 5, evening), -1);  // within the lead time
  EXPECT_EQ(AlertDueTime(20110309, 17, 0, 5, evening), -1);  // started
  EXPECT_EQ(AlertDueTime(20110309, 19, 0, 0, evening), Local(2011, 3, 9, 19, 0, 20));
  EXPECT_EQ(AlertDueTime(20110309, 19, 0, 30, evening), Local(2011, 3, 9, 18, 30, 20));
  EXPECT_EQ(AlertDueTime(20110309, 19, 0, 45, evening), Local(2011, 3, 9, 18, 15, 20));
  EXPECT_EQ(AlertDueTime(20110309, 18, 40, 45, evening), -1);

  // Hours 0-4 belong to the next calendar day, whatever the hour of now.
  EXPECT_EQ(AlertDueTime(20110309, 0, 30, 1, Local(2011, 3, 9, 22, 0)), Local(2011, 3, 10, 0, 29));
  EXPECT_EQ(AlertDueTime(20110309, 3, 0, 1, Local(2011, 3, 10, 2, 0)), Local(2011, 3, 10, 2, 59));
  EXPECT_EQ(AlertDueTime(20110331, 1, 0, 1, Local(2011, 3, 31, 23, 0)), Local(2011, 4, 1, 0, 59));
  EXPECT_EQ(AlertDueTime(20111231, 4, 59, 0, Local(2011, 12, 31, 23, 0)), Local(2012, 1, 1, 4, 59));
  // Last night's 21:00 is over: no alert in the small hours, none the next evening.
  EXPECT_EQ(AlertDueTime(20110309, 21, 0, 1, Local(2011, 3, 10, 2, 0)), -1);
  EXPECT_EQ(AlertDueTime(20110309, 21, 0, 1, Local(2011, 3, 10, 20, 0)), -1);

  for (auto [hour, minute] : std::initializer_list<std::pair<int, int>>{{24, 0}, {-1, 0}, {19, 60}, {19, -1}, {99, 99}})
    EXPECT_EQ(AlertDueTime(20110309, hour, minute, 1, evening), -1) << hour << ":" << minute;
  EXPECT_EQ(AlertDueTime(0, 19, 0, 1, evening), -1);
  // A lead time in minutes that overflows 32 bits once in seconds.
  EXPECT_EQ(AlertDueTime(20110309, 19, 0, 40000000, evening), -1);
}

TEST_F(WatchMarksTest, AlertMessageCarriesTitleAndLeadTime) {
  EXPECT_EQ(text::Cp932ToUtf8(AlertMessage(text::Utf8ToCp932("ニュース"), 10)),
            "【ニュース】開始 10 分前になりました。");
}

TEST(AlertScheduleTest, DueAlertsLeaveEarliestFirstAndARebuildReplacesAll) {
  AlertSchedule schedule;
  EXPECT_FALSE(schedule.NextDue());
  schedule.Rebuild({{1, "a", 300}, {2, "b", 100}, {3, "c", 200}, {4, "d", 100}});
  EXPECT_EQ(schedule.NextDue(), 100);

  const auto first = schedule.TakeDue(200);
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0].id, 2);
  EXPECT_EQ(first[1].id, 4);
  EXPECT_EQ(first[2].id, 3);
  EXPECT_TRUE(schedule.TakeDue(200).empty());  // each fires once
  EXPECT_EQ(schedule.NextDue(), 300);

  schedule.Rebuild({{5, "e", 500}});
  EXPECT_TRUE(schedule.TakeDue(499).empty());
  ASSERT_EQ(schedule.TakeDue(10000).size(), 1u);
  EXPECT_FALSE(schedule.NextDue());
}

}  // namespace
}  // namespace kanro::view
