// The page reader on pages the real converters wrote from generated listing
// pages, whose schedule is known: every programme must come back with its
// channel, start, stop and title, whatever the settings and rules; damaged
// pages give fewer programmes, never wrong ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "converted_pages.h"
#include "export/listing_page_reader.h"
#include "support/temp_dir.h"

namespace kanro::exports {
namespace {

using sites::SampleProgramme;
using sites::SamplePageOptions;

struct PageSettings {
  bool removeAnchor;
  bool gcode;
};

SamplePageOptions Sample(const char* type, const char* code, size_t bytes = 0) {
  SamplePageOptions options;
  options.typeKey = type;
  options.locationCode = code;
  options.targetBytes = bytes;
  return options;
}

const std::vector<SamplePageOptions>& EveryType() {
  static const std::vector<SamplePageOptions> samples = {
      Sample("GooTv", "008", 200000),  Sample("GooBsDisital", "013"), Sample("GooUhfBs", "047"),
      Sample("YahooAm", "23", 200000), Sample("YahooFm", "62")};
  return samples;
}

class ReaderFixture : public testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    app::SetDataDir(dir_.path());
    SetRules(DefaultRules());
  }
  void TearDown() override { app::DeleteAllProfileValues(); }
  void SetRules(const std::string& cp932) { test::WriteAll(app::RulesPath(), cp932); }

  PageReadResult Read(const ConvertedPages& pages) { return ReadListingPages(pages.head, pages.data, 20110309); }

  test::TempDir dir_{"kanro-export-reader"};
};

using Key = std::tuple<size_t, int, int, std::string>;  // channel, start, stop, title

Key KeyOf(const SampleProgramme& p) {
  return {static_cast<size_t>(p.channel), p.startMinute, p.startMinute + p.durationMinutes, ThroughCp932(p.title)};
}
Key KeyOf(const ListingProgramme& p) { return {p.channel, p.startMinute, p.stopMinute, p.title}; }

// Every programme the reader returned is one of the schedule, exactly.
void ExpectOnlyScheduledProgrammes(const SamplePageOptions& options, const PageReadResult& read) {
  std::set<Key> scheduled;
  for (const SampleProgramme& p : sites::SampleSchedule(options)) scheduled.insert(KeyOf(p));
  for (const ListingProgramme& p : read.day.programmes)
    EXPECT_TRUE(scheduled.count(KeyOf(p))) << options.typeKey << ": channel " << p.channel << " " << p.startMinute
                                           << "-" << p.stopMinute << " " << p.title;
}

class PageReaderTest : public ReaderFixture, public testing::WithParamInterface<PageSettings> {
 protected:
  void SetUp() override {
    ReaderFixture::SetUp();
    WriteProfileInt("Download", "RemoveAnchor", GetParam().removeAnchor ? 1 : 0);
    WriteProfileInt("Download", "GCode", GetParam().gcode ? 1 : 0);
  }
};

TEST_P(PageReaderTest, EveryListingTypeGivesBackItsWholeSchedule) {
  const bool links = !GetParam().removeAnchor;
  for (const SamplePageOptions& options : EveryType()) {
    SCOPED_TRACE(options.typeKey);
    const bool goo = sites::IsGooSampleType(options.typeKey);
    const PageReadResult read = Read(ConvertSample(options));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.day.skipped, 0);

    const std::vector<std::string> names = sites::SampleChannels(options.typeKey);
    ASSERT_EQ(read.day.channels.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(read.day.channels[i].name, ThroughCp932(names[i]));
      EXPECT_EQ(read.day.channels[i].link.rfind("http://", 0) == 0, links) << read.day.channels[i].link;
    }

    const std::vector<SampleProgramme> schedule = sites::SampleSchedule(options);
    ASSERT_EQ(read.day.programmes.size(), schedule.size());
    std::set<std::string> watchIds;
    for (size_t i = 0; i < schedule.size(); ++i) {
      const SampleProgramme& expected = schedule[i];
      const ListingProgramme& got = read.day.programmes[i];
      ASSERT_EQ(KeyOf(got), KeyOf(expected)) << "programme " << i;
      EXPECT_EQ(got.genre, goo ? expected.genre : -1);
      EXPECT_EQ(got.isNew, goo && expected.isNew) << got.title;
      EXPECT_EQ(!got.iepgUrl.empty(), goo && links && GetParam().gcode);
      EXPECT_EQ(!got.detailUrl.empty(), links);
      if (options.targetBytes > 0) {
        EXPECT_FALSE(got.description.empty()) << got.title;
        EXPECT_EQ(got.description.find('<'), std::string::npos) << got.description;
      }
      if (goo) {
        EXPECT_EQ(got.watchId.size(), 4u);
        EXPECT_TRUE(watchIds.insert(got.watchId).second) << "watch IDs are unique on a page: " << got.watchId;
      } else {
        EXPECT_TRUE(got.watchId.empty());
      }
    }
  }
}

std::string SettingsName(const testing::TestParamInfo<PageSettings>& info) {
  return std::string("RemoveAnchor") + (info.param.removeAnchor ? "1" : "0") + "_GCode" + (info.param.gcode ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(AllSettings, PageReaderTest,
                         testing::Values(PageSettings{false, false}, PageSettings{false, true},
                                         PageSettings{true, false}, PageSettings{true, true}),
                         SettingsName);

TEST_F(ReaderFixture, WithoutRulesTheSameProgrammesComeBack) {
  SetRules("");
  for (const SamplePageOptions& options : EveryType()) {
    const PageReadResult read = Read(ConvertSample(options));
    ASSERT_TRUE(read.ok) << read.error;
    EXPECT_EQ(read.day.programmes.size(), sites::SampleSchedule(options).size()) << options.typeKey;
    ExpectOnlyScheduledProgrammes(options, read);
  }
}

TEST_F(ReaderFixture, ProgrammesAfterMidnightBelongToTheNextCalendarDate) {
  const SamplePageOptions options = Sample("GooTv", "008");
  const PageReadResult read = Read(ConvertSample(options));
  ASSERT_TRUE(read.ok);
  const ListingProgramme& last = read.day.programmes.back();  // last channel, last programme
  EXPECT_EQ(last.stopMinute, 29 * 60);
  EXPECT_EQ(ListingMoment(20110309, last.stopMinute), (LocalDateTime{20110310, 5 * 60}));
  EXPECT_EQ(ListingMoment(20110309, 300), (LocalDateTime{20110309, 300}));
  EXPECT_EQ(ListingMoment(20110228, 24 * 60 + 30), (LocalDateTime{20110301, 30}));
  EXPECT_EQ(ListingMoment(20121231, 25 * 60), (LocalDateTime{20130101, 60}));
}

// Rules that damage the table: rows lose their spans, cells are added, hour
// numbers and start times change, a nested table loses its start and so
// closes the listing early, titles drown in markup. Each costs programmes;
// none may give a wrong one, and every lost one is counted.
TEST_F(ReaderFixture, HostileRulesCostProgrammesButNeverGiveWrongOnes) {
  const std::vector<std::string> rules = {
      "rowspan=\"3\"\t\t1\r\n",
      "rowspan='10'\t\t1\r\n",
      "<td class=\"genre_05\"\t<td></td><td class=\"genre_05\"\t1\r\n",
      "<a name=\"13\">13</a>\t<a name=\"14\">14</a>\t1\r\n",
      "<a name=\"20\">20</a>\t<a name=\"x\">x</a>\t1\r\n",
      "<strong>9:00</strong>\t<strong>9:05</strong>\t1\r\n",
      "(genre_07.*?)<table class=\"prog\">\t$1\t1\r\n",
      "class=\"genre_XX\" rowspan='5'\tclass=\"genre_XX\" rowspan='6'\t1\r\n",
      "</tr>\t\t1\r\n",
      "<strong>(.*?)</strong>\t<strong>$1</strong><<>><strong\t1\r\n",
  };
  std::vector<std::string> ruleSets = rules;
  ruleSets.emplace_back();
  for (const std::string& rule : rules) ruleSets.back() += rule;  // and all of them at once
  int damaged = 0;
  for (const std::string& rule : ruleSets) {
    SetRules(text::Utf8ToCp932(rule));
    for (const SamplePageOptions& options : {Sample("GooTv", "008"), Sample("YahooAm", "23")}) {
      SCOPED_TRACE(options.typeKey + " with " + rule);
      const PageReadResult read = Read(ConvertSample(options));
      ASSERT_TRUE(read.ok) << read.error;
      ExpectOnlyScheduledProgrammes(options, read);
      EXPECT_EQ(read.day.programmes.size() + static_cast<size_t>(read.day.skipped),
                sites::SampleSchedule(options).size());
      if (read.day.skipped > 0) ++damaged;
    }
  }
  EXPECT_GE(damaged, 10);
}

TEST_F(ReaderFixture, ARuleThatRemovesTheTimeTextsLeavesTheLayoutToPlaceProgrammes) {
  SetRules("<strong>[0-9]+:[0-9]+</strong>\t\t1\r\n<strong></strong>\t\t1\r\n");
  const SamplePageOptions options = Sample("GooTv", "008");
  const PageReadResult read = Read(ConvertSample(options));
  ASSERT_TRUE(read.ok);
  // With one strong element left, it is the title.
  EXPECT_EQ(read.day.programmes.size(), sites::SampleSchedule(options).size());
  ExpectOnlyScheduledProgrammes(options, read);
}

TEST_F(ReaderFixture, APageCutOffMidTableGivesItsFirstPartOnly) {
  for (const SamplePageOptions& options : {Sample("GooTv", "008"), Sample("YahooFm", "62")}) {
    SCOPED_TRACE(options.typeKey);
    const ConvertedPages pages = ConvertSample(options);
    std::string data = test::ReadAll(pages.data);
    for (size_t cut : {data.size() / 2, data.size() / 2 + 37, data.size() * 3 / 4}) {
      const PageReadResult read = ParseListingPages(test::ReadAll(pages.head), data.substr(0, cut), 20110309);
      ASSERT_TRUE(read.ok) << read.error;
      ExpectOnlyScheduledProgrammes(options, read);
      EXPECT_GT(read.day.programmes.size(), 0u);
      EXPECT_LT(read.day.programmes.size(), sites::SampleSchedule(options).size());
    }
  }
}

TEST_F(ReaderFixture, TheHeaderPageNamesTheChannelsWhenTheDataPageLostItsHeadRows) {
  SetRules(text::Utf8ToCp932("class=\"channel\"\tclass=\"x\"\t1\r\n"));
  const SamplePageOptions options = Sample("YahooAm", "23");
  const ConvertedPages pages = ConvertSample(options);  // both pages lose the class
  SetRules(DefaultRules());
  const ConvertedPages good = ConvertSample(options, "good");
  const PageReadResult read = ParseListingPages(test::ReadAll(good.head), test::ReadAll(pages.data), 20110309);
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.day.channels.size(), 5u);
  EXPECT_EQ(read.day.programmes.size(), sites::SampleSchedule(options).size());

  const PageReadResult nameless = ParseListingPages(test::ReadAll(pages.head), test::ReadAll(pages.data), 20110309);
  EXPECT_FALSE(nameless.ok);
}

TEST_F(ReaderFixture, EmptyAndForeignPagesAreErrorsNotCrashes) {
  for (const std::string& page : {std::string(), std::string("<html><body>no listing</body></html>"),
                                  std::string("<table"), std::string("<table><tr><td rowspan=\"99999999999\">"),
                                  std::string("<table><tr><td colspan=\"1000000\"><strong>5:00</strong>")}) {
    const PageReadResult read = ParseListingPages("", page, 20110309);
    EXPECT_FALSE(read.ok) << page;
    EXPECT_TRUE(read.day.programmes.empty());
  }
  EXPECT_FALSE(ReadListingPages(dir_ / "none.htm", dir_ / "none.htm", 20110309).ok);

  // Thousands of channels over tens of thousands of rows: refused, counted.
  std::string huge = "<table><tr>";
  for (int i = 0; i < 3000; ++i) huge += "<th class=\"channel\">c</th>";
  for (int i = 0; i < 30000; ++i) huge += "<tr>";
  huge += "<td class=\"genre_01\"><strong>5:00</strong><strong>t</strong></td></table>";
  const PageReadResult read = ParseListingPages("", huge, 20110309);
  EXPECT_TRUE(read.day.programmes.empty());
  EXPECT_EQ(read.day.skipped, 1);
}

// A small page of our layout: hour cells 3 and 4 (twelve 5-minute rows
// each), one channel.
std::string SmallPage(const std::string& lastCell, bool complete) {
  std::string page =
      "<table class=\"program\">\n<thead style=\"display: none;\">\n<tr><th class=\"hour\">時</th>"
      "<th class=\"channel\">さくら</th></tr>\n</thead>\n<tbody>\n"
      "<tr><th class=\"epg_td_time\" rowspan=\"12\"><a name=\"3\">3</a></th>"
      "<td class=\"genre_00\" rowspan=\"18\"><strong>3:00</strong> <strong>深夜便</strong></td></tr>\n";
  for (int row = 1; row < 24; ++row) {
    page += "<tr>";
    if (row == 12) page += "<th class=\"epg_td_time\" rowspan=\"12\"><a name=\"4\">4</a></th>";
    if (row == 18) page += lastCell;
    page += "</tr>\n";
  }
  if (complete) page += "</tbody>\n</table>\n";
  return text::Utf8ToCp932(page);
}

TEST_F(ReaderFixture, AProgrammeRunningPastTheEndOfTheDayKeepsItsStop) {
  // 4:30 for 60 minutes: past the last row (4:55) of the listing day.
  const std::string cell = "<td class=\"genre_08\" rowspan=\"12\"><strong>4:30</strong> <strong>朝まで生放送</strong></td>";
  const PageReadResult read = ParseListingPages("", SmallPage(cell, true), 20110309);
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.day.programmes.size(), 2u);
  EXPECT_EQ(read.day.programmes[0].startMinute, 27 * 60);
  EXPECT_EQ(read.day.programmes[0].stopMinute, 28 * 60 + 30);
  EXPECT_EQ(read.day.programmes[1].title, "朝まで生放送");
  EXPECT_EQ(read.day.programmes[1].startMinute, 28 * 60 + 30);
  EXPECT_EQ(read.day.programmes[1].stopMinute, 29 * 60 + 30);
  EXPECT_EQ(ListingMoment(20110309, read.day.programmes[1].stopMinute), (LocalDateTime{20110310, 5 * 60 + 30}));

  // On a page that ends without closing its table the span cannot be trusted.
  const PageReadResult cut = ParseListingPages("", SmallPage(cell, false), 20110309);
  ASSERT_TRUE(cut.ok);
  EXPECT_EQ(cut.day.programmes.size(), 1u);
  EXPECT_EQ(cut.day.skipped, 1);
}

TEST_F(ReaderFixture, AStartTimeThatContradictsTheRowIsSkipped) {
  const std::string cell = "<td class=\"genre_08\" rowspan=\"6\"><strong>4:35</strong> <strong>ずれた番組</strong></td>";
  const PageReadResult read = ParseListingPages("", SmallPage(cell, true), 20110309);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.day.programmes.size(), 1u);
  EXPECT_EQ(read.day.programmes[0].title, "深夜便");
  EXPECT_EQ(read.day.skipped, 1);
}

TEST_F(ReaderFixture, TextIsDecodedOnceAndHiddenTextLeftOut) {
  const std::string cell =
      "<td class=\"genre_15\" rowspan=\"6\"><strong>4:30</strong> <strong>A&amp;B &lt;2&gt; &#x2665;&#12354; "
      "&bogus;</strong><span style=\"display:none\">隠し</span><div class=\"desc\">説明&nbsp;&nbsp;です\x01</div></td>";
  const PageReadResult read = ParseListingPages("", SmallPage(cell, true), 20110309);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.day.programmes.size(), 2u);
  EXPECT_EQ(read.day.programmes[1].title, "A&B <2> ♥あ &bogus;");
  EXPECT_EQ(read.day.programmes[1].description, "説明 です\xEF\xBF\xBD");
  EXPECT_EQ(read.day.programmes[1].genre, 15);
}

TEST_F(ReaderFixture, TitlesDecodeEveryReferenceAsABrowserShowsIt) {
  const std::string cell =
      "<td class=\"genre_15\" rowspan=\"6\"><strong>4:30</strong> <strong>&hearts; A&amp B &#99999999999; "
      "&copy2011 &NotEqualTilde; &#150;</strong></td>";
  const PageReadResult read = ParseListingPages("", SmallPage(cell, true), 20110309);
  ASSERT_TRUE(read.ok);
  ASSERT_EQ(read.day.programmes.size(), 2u);
  EXPECT_EQ(read.day.programmes[1].title, "♥ A& B \uFFFD ©2011 \u2242\u0338 \u2013");
}

}  // namespace
}  // namespace kanro::exports
