// A day of a source's programmes laid out and composed through the page
// composer (with the default rewrite rules), then read back by the exports'
// page reader: the same programmes, times, genres and marks, also across
// 05:00, around gaps and overlaps, and on the days the clock changes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "app/clock.h"
#include "app/default_files.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "sources/day_layout.h"
#include "sources/day_page.h"
#include "sources/source_html_creater.h"
#include "support/temp_dir.h"
#include "support/time_zone.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::sources {
namespace {

class SourcePagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    app::SetDataDir(data_.path());
    app::CreateDefaultFiles();
    UseZone("JST-9");
  }
  void TearDown() override { app::DeleteAllProfileValues(); }
  void UseZone(const char* zone) { zone_.Use(zone); }

  // Composes the day through the composer and reads it back.
  exports::ListingDay Compose(const SourceSchedule& schedule, int date) {
    const std::filesystem::path intermediate = data_ / "day.txt";
    text::TextFileWriter writer;
    EXPECT_TRUE(writer.Open(intermediate));
    EXPECT_TRUE(writer.WriteBytes(DayPageText(schedule, LayOutDay(schedule, date))));
    EXPECT_TRUE(writer.Close());
    CSourceHtmlCreater creater;
    creater.RequireCompleteListing(true);
    EXPECT_TRUE(creater.CreateHead(intermediate, data_ / "head.htm")) << text::Cp932ToUtf8(creater.FailureReason());
    EXPECT_TRUE(creater.CreateData(intermediate, data_ / "data.htm", "title"))
        << text::Cp932ToUtf8(creater.FailureReason());
    data_page_ = test::ReadAll(data_ / "data.htm");
    const exports::PageReadResult read = exports::ReadListingPages(data_ / "head.htm", data_ / "data.htm", date);
    EXPECT_TRUE(read.ok) << read.error;
    return read.day;
  }

  static SourceProgramme At(size_t channel, int64_t start, int minutes, const char* title, int genre = -1) {
    SourceProgramme p;
    p.channel = channel;
    p.start = start;
    p.stop = start + minutes * 60;
    p.title = title;
    p.genre = genre;
    p.watchId = std::to_string(1000000 + channel * 100000 + static_cast<size_t>(start / 60 % 100000));
    return p;
  }
  static int64_t Local(int y, int m, int d, int h, int mi) { return app::FromLocalDate(y, m, d, h, mi, 0); }

  struct Seen {
    size_t channel;
    int start, stop;
    std::string title;
    friend bool operator==(const Seen&, const Seen&) = default;
  };
  static std::vector<Seen> Programmes(const exports::ListingDay& day) {
    std::vector<Seen> seen;
    for (const auto& p : day.programmes) seen.push_back({p.channel, p.startMinute, p.stopMinute, p.title});
    return seen;
  }

  test::TempDir data_{"kanro-source-pages"};
  std::string data_page_;
  test::ScopedTimeZone zone_;
};

TEST_F(SourcePagesTest, ProgrammesComeBackWithTheirTimesGenresMarksAndStableIds) {
  SourceSchedule s;
  s.channels = {{"a", "ＮＨＫ & 総合"}, {"b", "二つ目"}};
  SourceProgramme news = At(0, Local(2011, 3, 9, 5, 0), 30, "朝のニュース", 0);
  SourceProgramme drama = At(0, Local(2011, 3, 9, 21, 0), 54, "ドラマ <最終回> & \"特別編\"", 3);
  drama.isNew = true;
  drama.description = "説明\x01文";
  drama.subtitle = "第1話";
  s.programmes = {news, drama, At(1, Local(2011, 3, 9, 12, 0), 60, "お昼の番組")};
  const exports::ListingDay day = Compose(s, 20110309);
  ASSERT_EQ(day.channels.size(), 2u);
  EXPECT_EQ(day.channels[0].name, "ＮＨＫ & 総合");
  EXPECT_EQ(Programmes(day), (std::vector<Seen>{{0, 300, 330, "朝のニュース"},
                                                {0, 1260, 1314, "ドラマ <最終回> & \"特別編\""},
                                                {1, 720, 780, "お昼の番組"}}));
  EXPECT_EQ(day.programmes[0].genre, 0);
  EXPECT_EQ(day.programmes[1].genre, 3);
  EXPECT_EQ(day.programmes[2].genre, -1);
  EXPECT_TRUE(day.programmes[1].isNew);
  EXPECT_FALSE(day.programmes[0].isNew);
  EXPECT_EQ(day.programmes[1].watchId, drama.watchId) << "the source's ID, not the place on the page";
  // The composer collapses the ideographic space as any white space.
  EXPECT_EQ(day.programmes[1].description, "第1話 説明文");
  // The default rule adds the hidden new-series text the default keyword finds.
  EXPECT_NE(text::Cp932ToUtf8(data_page_).find("【新】ドラマ"), std::string::npos);
  // Hour anchors for the hour buttons, 5 to 4.
  EXPECT_NE(data_page_.find("<a name=\"5\">5</a>"), std::string::npos);
  EXPECT_NE(data_page_.find("<a name=\"4\">4</a>"), std::string::npos);
}

TEST_F(SourcePagesTest, ProgrammesAcross0500AreOnBothDaysAndGapsStayEmpty) {
  SourceSchedule s;
  s.channels = {{"a", "一"}};
  s.programmes = {At(0, Local(2011, 3, 9, 4, 30), 60, "夜明け前から"), At(0, Local(2011, 3, 9, 8, 0), 30, "朝"),
                  At(0, Local(2011, 3, 10, 4, 30), 60, "翌朝まで")};
  EXPECT_EQ(Programmes(Compose(s, 20110309)),
            (std::vector<Seen>{{0, 300, 330, "夜明け前から"}, {0, 480, 510, "朝"}, {0, 1710, 1740, "翌朝まで"}}));
  EXPECT_EQ(Programmes(Compose(s, 20110310)), (std::vector<Seen>{{0, 300, 330, "翌朝まで"}}));
}

TEST_F(SourcePagesTest, OverlapsShortenTheEarlierOneAndSameStartsShareACell) {
  SourceSchedule s;
  s.channels = {{"a", "一"}};
  s.programmes = {At(0, Local(2011, 3, 9, 6, 0), 60, "長すぎる番組"), At(0, Local(2011, 3, 9, 6, 30), 30, "割り込み"),
                  At(0, Local(2011, 3, 9, 9, 0), 30, "同時刻その一"), At(0, Local(2011, 3, 9, 9, 0), 60, "同時刻その二")};
  s.programmes[3].watchId = "99999999";
  const exports::ListingDay day = Compose(s, 20110309);
  EXPECT_EQ(Programmes(day), (std::vector<Seen>{{0, 360, 390, "長すぎる番組"},
                                                {0, 390, 420, "割り込み"},
                                                {0, 540, 600, "同時刻その一"}}));
  // The second of the same minute is in that cell with its own watch link.
  EXPECT_NE(text::Cp932ToUtf8(data_page_).find("同時刻その二"), std::string::npos);
  EXPECT_NE(data_page_.find("prp://watch?ID=99999999&"), std::string::npos);
}

TEST_F(SourcePagesTest, EveryColumnIsCoveredOnceAlsoOnEmptyAndClockChangeDays) {
  UseZone("GMT0BST,M3.5.0/1,M10.5.0");
  SourceSchedule s;
  s.channels = {{"a", "一"}, {"b", "二"}};
  // Hourly programmes on the 25-hour day (clocks back on 2011-10-30 at 02:00).
  const int64_t first = Local(2011, 10, 29, 5, 0);
  for (int hour = 0; hour < 25; ++hour) {
    SourceProgramme p = At(0, first + hour * 3600, 60, "毎時");
    p.title += std::to_string(hour);
    s.programmes.push_back(p);
  }
  for (int date : {20111029, 20110326, 20110101}) {
    const DayLayout layout = LayOutDay(s, date);
    for (const DayColumn& column : layout.columns) {
      int row = 0;
      for (const DayCell& cell : column.cells) {
        EXPECT_EQ(cell.row, row) << date;
        EXPECT_GE(cell.rows, 1);
        row += cell.rows;
      }
      EXPECT_EQ(row, kRowsPerDay) << date;
    }
  }
  // The repeated hour's two programmes share a cell; none is lost.
  const exports::ListingDay day = Compose(s, 20111029);
  EXPECT_EQ(day.programmes.size(), 24u);
  const std::string page = text::Cp932ToUtf8(data_page_);
  for (int hour = 0; hour < 25; ++hour) EXPECT_NE(page.find("毎時" + std::to_string(hour) + "<"), std::string::npos) << hour;
  EXPECT_EQ(LayOutDay(s, 20110101).programmeCount, 0u);
}


}  // namespace
}  // namespace kanro::sources
