// The two exports over a data folder of converted sample pages: what goes
// in, what is left out and reported, and what the writers are given.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "converted_pages.h"
#include "export/channel_ids.h"
#include "export/icalendar_export.h"
#include "export/title_markers.h"
#include "export/listing_page_reader.h"
#include "export/xmltv_export.h"
#include "support/text_count.h"

namespace kanro::exports {
namespace {

namespace fs = std::filesystem;

using kanro::test::Count;

class ExportsTest : public testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    app::SetDataDir(dir_.path());
    test::WriteAll(app::RulesPath(), DefaultRules());
    fs::create_directories(app::DataFolder());
    fs::create_directories(app::HeadFolder());
    Add("08GooTv", "GooTv", "008", 2011, 3, 9);
    Add("08GooTv", "GooTv", "008", 2011, 3, 10);
    Add("08GooTv", "GooTv", "008", 2011, 3, 12);
    Add("13YahooAm", "YahooAm", "28", 2011, 3, 9);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  // Converts the sample page of the day into Data/ and, once, Head/.
  void Add(const std::string& entry, const char* type, const char* code, int year, int month, int day) {
    sites::SamplePageOptions options;
    options.typeKey = type;
    options.locationCode = code;
    options.year = year;
    options.month = month;
    options.day = day;
    const ConvertedPages pages = ConvertSample(options);
    const int date = year * 10000 + month * 100 + day;
    fs::rename(pages.data, DataPagePath(date, entry));
    fs::rename(pages.head, app::HeadFolder() / (entry + ".htm"));
    scheduled_[date * 100 + (entry == "08GooTv" ? 0 : 1)] = sites::SampleSchedule(options).size();
  }
  static fs::path DataPagePath(int date, const std::string& entry) {
    return app::DataFolder() / (std::to_string(date) + entry + ".htm");
  }
  size_t Scheduled(int date, const std::string& entry) { return scheduled_[date * 100 + (entry == "08GooTv" ? 0 : 1)]; }

  XmltvExportOptions Options(int firstDate, int days) {
    XmltvExportOptions options;
    options.entries = {"08GooTv", "13YahooAm", "47YahooFm"};
    options.firstDate = firstDate;
    options.days = days;
    options.dataFolder = app::DataFolder();
    options.headFolder = app::HeadFolder();
    return options;
  }

  test::TempDir dir_{"kanro-exports"};
  std::map<int, size_t> scheduled_;
};

TEST_F(ExportsTest, XmltvHoldsEveryChannelThenEveryProgrammeOfTheRange) {
  std::ostringstream out;
  ExportReport report;
  ASSERT_TRUE(ExportXmltv(Options(20110309, 0), out, &report));
  const std::string xml = out.str();
  EXPECT_EQ(Count(xml, "<channel id="), 8u + 5u) << "an entry without pages has no channels";
  // goo names the station by its channel page, Yahoo by its name.
  EXPECT_NE(xml.find("<channel id=\"08GooTv-01.kanro\">"), std::string::npos);
  const std::string fifthStation = ThroughCp932(sites::SampleChannels("YahooAm")[4]);
  EXPECT_NE(xml.find("<channel id=\"" + XmltvChannelId("13YahooAm", StationToken({fifthStation, ""}, 4)) + "\">"),
            std::string::npos);
  EXPECT_LT(xml.rfind("<channel "), xml.find("<programme ")) << "the DTD wants channels first";
  const size_t all = Scheduled(20110309, "08GooTv") + Scheduled(20110310, "08GooTv") +
                     Scheduled(20110312, "08GooTv") + Scheduled(20110309, "13YahooAm");
  EXPECT_EQ(Count(xml, "<programme "), all);
  EXPECT_EQ(report.programmesWritten, static_cast<int>(all));
  EXPECT_EQ(report.pagesRead, 4);
  EXPECT_TRUE(report.problems.empty());
  // After midnight is the next calendar date, in Japanese time.
  EXPECT_NE(xml.find("stop=\"20110310050000 +0900\" channel=\"08GooTv-01.kanro\""), std::string::npos);
  EXPECT_NE(xml.find("<new/>"), std::string::npos);
  // Players that read one category read the first: the English one.
  EXPECT_EQ(Count(xml, "<category lang=\"en\">"), Count(xml, "<category lang=\"ja\">"));
  EXPECT_GT(Count(xml, "</category>\n    <category lang=\"ja\">"), 0u);
  EXPECT_EQ(Count(xml, "</title>\n    <category lang=\"ja\">"), 0u);
}

TEST_F(ExportsTest, XmltvTakesTheDaysFromTheFirstDateOn) {
  std::ostringstream two;
  ASSERT_TRUE(ExportXmltv(Options(20110309, 2), two, nullptr));
  EXPECT_EQ(Count(two.str(), "<programme "),
            Scheduled(20110309, "08GooTv") + Scheduled(20110310, "08GooTv") + Scheduled(20110309, "13YahooAm"));

  std::ostringstream later;
  ASSERT_TRUE(ExportXmltv(Options(20110311, 0), later, nullptr));
  EXPECT_EQ(Count(later.str(), "<programme "), Scheduled(20110312, "08GooTv"));
  EXPECT_EQ(Count(later.str(), "<channel "), 8u) << "channels of the entries with pages in range";

  // Nothing in range is a failure with its reason, never an empty success.
  std::ostringstream none;
  ExportReport report;
  EXPECT_FALSE(ExportXmltv(Options(20110401, 3), none, &report));
  EXPECT_TRUE(report.nothingFound);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_NE(report.problems[0].find("20110401"), std::string::npos) << report.problems[0];
  EXPECT_EQ(Count(none.str(), "<programme "), 0u);
  EXPECT_NE(none.str().find("</tv>"), std::string::npos);
}

TEST_F(ExportsTest, ABrokenPageIsReportedAndTheRestStillExported) {
  test::WriteAll(DataPagePath(20110310, "08GooTv"), "<html>\x82\xA0 nothing here");
  std::ostringstream out;
  ExportReport report;
  EXPECT_FALSE(ExportXmltv(Options(20110309, 0), out, &report));
  EXPECT_EQ(report.pagesFailed, 1);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_NE(report.problems[0].find("2011031008GooTv"), std::string::npos) << report.problems[0];
  EXPECT_EQ(Count(out.str(), "<programme "), Scheduled(20110309, "08GooTv") + Scheduled(20110312, "08GooTv") +
                                                 Scheduled(20110309, "13YahooAm"));
  EXPECT_NE(out.str().find("</tv>"), std::string::npos);
}

TEST_F(ExportsTest, AFileIsReplacedOnlyByACompleteDocument) {
  const fs::path file = dir_ / "guide.xml";
  test::WriteAll(file, "old guide");
  ExportReport report;
  ASSERT_TRUE(ExportXmltvToFile(Options(20110309, 1), file, &report));
  const std::string xml = test::ReadAll(file);
  EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
  EXPECT_EQ(xml.substr(xml.size() - 6), "</tv>\n");

  ExportReport failed;
  EXPECT_FALSE(ExportXmltvToFile(Options(20110309, 1), dir_ / "missing" / "guide.xml", &failed));
  EXPECT_TRUE(failed.writeFailed);
  ASSERT_EQ(failed.problems.size(), 1u);
  EXPECT_NE(failed.problems[0].find("guide.xml"), std::string::npos);
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path()))
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << "left behind: " << entry.path();
}

class ICalendarExportTest : public ExportsTest {
 protected:
  ICalendarExportOptions Options() {
    ICalendarExportOptions options;
    options.dataFolder = app::DataFolder();
    options.headFolder = app::HeadFolder();
    options.now = 1299639600;  // 2011-03-09 03:00:00 UTC
    options.alertMinutes = 5;
    return options;
  }
  // The programme with the watch ID on the page of 08GooTv of the date.
  ListingProgramme Marked(int date, const std::string& id) {
    const PageReadResult read =
        ReadListingPages(app::HeadFolder() / "08GooTv.htm", DataPagePath(date, "08GooTv"), date);
    for (const ListingProgramme& p : read.day.programmes)
      if (p.watchId == id) return p;
    ADD_FAILURE() << "no programme " << id;
    return {};
  }
};

TEST_F(ICalendarExportTest, OneEventPerMarkFoundWithItsAlarm) {
  ICalendarExportOptions options = Options();
  options.watchLists[20110310] = "001208GooTv,";
  options.watchLists[20110309] = "004008GooTv,000308GooTv,";
  std::ostringstream out;
  ExportReport report;
  ASSERT_TRUE(ExportICalendar(options, out, &report)) << (report.problems.empty() ? "" : report.problems[0]);
  const std::string ics = out.str();
  EXPECT_EQ(Count(ics, "BEGIN:VEVENT"), 3u);
  EXPECT_EQ(Count(ics, "TRIGGER:-PT5M"), 3u);
  EXPECT_EQ(Count(ics, "\n"), Count(ics, "\r\n")) << "content lines end with CR LF";
  EXPECT_EQ(Count(ics, "UID:"), 3u);
  EXPECT_NE(ics.find("DTSTAMP:20110309T030000Z"), std::string::npos);
  EXPECT_NE(ics.find("BEGIN:VTIMEZONE\r\nTZID:Asia/Tokyo"), std::string::npos);

  // Events in start order, each with its programme's times and title.
  size_t previous = 0;
  for (const auto& [date, id] : {std::pair{20110309, "0003"}, std::pair{20110309, "0040"}, std::pair{20110310, "0012"}}) {
    const ListingProgramme p = Marked(date, id);
    // The UID names the programme: date, entry, station (its channel page), start.
    char station[32];
    std::snprintf(station, sizeof station, "%02zu", p.channel + 1);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d%02d", p.startMinute / 60, p.startMinute % 60);
    const size_t uid = ics.find("UID:" + std::to_string(date) + "-08GooTv-" + station + "-" + clock + "@kanro");
    ASSERT_NE(uid, std::string::npos);
    EXPECT_GT(uid, previous);
    previous = uid;
    const LocalDateTime start = ListingMoment(date, p.startMinute);
    char value[64];
    std::snprintf(value, sizeof value, "DTSTART;TZID=Asia/Tokyo:%08dT%02d%02d00", start.date, start.minute / 60,
                  start.minute % 60);
    EXPECT_NE(ics.find(value, uid), std::string::npos) << value;
    EXPECT_NE(ics.find("SUMMARY:" + p.title, uid), std::string::npos) << p.title;
  }
  EXPECT_NE(ics.find("LOCATION:ひかりテレビ（東京都 地上波）"), std::string::npos) << "0003 is in the fourth column";
}

TEST_F(ICalendarExportTest, MarksThatCannotBeFoundAreReportedNotInvented) {
  ICalendarExportOptions options = Options();
  options.alerts = false;
  options.watchLists[20110309] = "000308GooTv,999908GooTv,0001,000113YahooAm,";
  options.watchLists[20110311] = "000108GooTv,";  // no page for the day any more
  std::ostringstream out;
  ExportReport report;
  EXPECT_FALSE(ExportICalendar(options, out, &report));
  EXPECT_EQ(Count(out.str(), "BEGIN:VEVENT"), 1u);
  EXPECT_EQ(Count(out.str(), "BEGIN:VALARM"), 0u);
  EXPECT_EQ(report.marksNotFound, 3) << "9999 is not on the page, 0001 names no entry, radio has no watch links";
  EXPECT_EQ(report.marksWithoutPage, 1);
  EXPECT_EQ(report.problems.size(), 3u);
  EXPECT_NE(out.str().find("END:VCALENDAR\r\n"), std::string::npos);
}


// The content names of the DVB service information (ETSI EN 300 468), as
// media centres match them: the ten top-level names and some below them.
const std::set<std::string> kEtsiContentNames = {
    "Movie / Drama", "News / Current affairs", "Show / Game show", "Sports", "Children's / Youth programmes",
    "Music / Ballet / Dance", "Arts / Culture (without music)", "Social / Political issues / Economics",
    "Education / Science / Factual topics", "Leisure hobbies", "News magazine", "Documentary",
    "Magazines / Reports / Documentary", "Talk show", "Variety show", "Cartoons / Puppets", "Performing arts"};

TEST(GenreNames, EveryGenreButOtherHasItsStandardEnglishName) {
  int named = 0;
  for (int genre = -1; genre <= 16; ++genre) {
    if (GenreNameJa(genre).empty()) {
      EXPECT_TRUE(GenreNameEn(genre).empty()) << genre;
      continue;
    }
    ++named;
    if (GenreNameJa(genre) == "その他") continue;
    EXPECT_TRUE(kEtsiContentNames.count(std::string(GenreNameEn(genre)))) << genre << " " << GenreNameEn(genre);
  }
  EXPECT_EQ(named, 13);
}

TEST(TitleMarkers, MarkersAndEpisodeNumbersInAnyBracketsAndDigits) {
  const TitleMarkers all = ReadTitleMarkers("ドラマ 星の海（第8回）[字][再]【新】［終］");
  EXPECT_TRUE(all.captions && all.repeat && all.newSeries && all.lastEpisode);
  EXPECT_EQ(all.episode, "第8回");
  EXPECT_EQ(MarkerCategories(all), (std::vector<std::string>{"字幕", "再放送", "新番組", "最終回"}));
  EXPECT_EQ(ReadTitleMarkers("アニメ 空 第１２話").episode, "第１２話");
  EXPECT_EQ(ReadTitleMarkers("音楽の窓 #8").episode, "#8");
  EXPECT_EQ(ReadTitleMarkers("音楽の窓 ＃１０").episode, "＃１０");
  // Not markers: a longer bracket, a number without its counter, a hash without digits.
  const TitleMarkers none = ReadTitleMarkers("[字幕放送] 第8 #ハッシュ 第回");
  EXPECT_FALSE(none.captions || none.repeat || none.newSeries || none.lastEpisode);
  EXPECT_EQ(none.episode, "");
}

TEST(StationTokens, AStationAddedInFrontChangesNoOtherId) {
  const std::vector<ListingChannel> before = {{"さくらテレビ", "http://tv.example/contents/ch/008/0024.html", "", ""},
                                              {"ラジオ東西", "http://radio.example/listings/station/?a=28&id=2", "", ""}};
  std::vector<ListingChannel> after = before;
  after.insert(after.begin(), ListingChannel{"みなとテレビ", "http://tv.example/contents/ch/008/0099.html", "", ""});
  const std::vector<std::string> a = StationTokens(before);
  const std::vector<std::string> b = StationTokens(after);
  EXPECT_EQ(a[0], "0024") << "the channel page names the station";
  EXPECT_EQ(b[1], a[0]);
  EXPECT_EQ(b[2], a[1]) << "a station without a channel page is named by its name";

  // Two columns of one station, and columns without any name, stay apart.
  const std::vector<std::string> twice = StationTokens({before[0], before[0], {}, {}});
  EXPECT_EQ(twice, (std::vector<std::string>{"0024", "0024-2", "c3", "c4"}));
  for (const std::string& token : b)
    EXPECT_EQ(token.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-"), std::string::npos);
}

class ExportContentsTest : public ExportsTest {
 protected:
  // Converts a page of 08GooTv for the date from the options, with the rules.
  void AddPage(int date, sites::SamplePageOptions options, const std::string& rules) {
    test::WriteAll(app::RulesPath(), DefaultRules() + text::Utf8ToCp932(rules));
    options.year = date / 10000;
    options.month = date / 100 % 100;
    options.day = date % 100;
    const ConvertedPages pages = ConvertSample(options);
    fs::rename(pages.data, DataPagePath(date, "08GooTv"));
    fs::rename(pages.head, app::HeadFolder() / "08GooTv.htm");
  }
  XmltvExportOptions GooOnly(int date, int days) {
    XmltvExportOptions options = Options(date, days);
    options.entries = {"08GooTv"};
    return options;
  }
  // The <programme> element holding the title.
  static std::string ProgrammeOf(const std::string& xml, const std::string& title) {
    const size_t at = xml.find("<title lang=\"ja\">" + title + "</title>");
    if (at == std::string::npos) return {};
    const size_t begin = xml.rfind("<programme ", at);
    return xml.substr(begin, xml.find("</programme>", at) - begin);
  }
};

TEST_F(ExportContentsTest, TitleMarkersAndLineBreaksBecomeTheirOwnElements) {
  sites::SamplePageOptions options;
  std::vector<sites::SampleProgramme> schedule = sites::SampleSchedule(options);
  const std::vector<std::string> titles = {"ニュース[字][再]", "ドラマ 星の海（第8回）[終]", "#8 音楽の窓",
                                           "アニメ 空［新］第12話"};
  for (size_t channel = 0; channel < titles.size(); ++channel)
    std::find_if(schedule.begin(), schedule.end(), [&](const sites::SampleProgramme& p) {
      return p.channel == static_cast<int>(channel);
    })->title = titles[channel];
  for (sites::SampleProgramme& p : schedule) p.isNew = false;
  options.schedule = schedule;
  // Every programme gets a description of two lines.
  AddPage(20110320, options, "</tr></table></td>\t</tr></table><div class=\"desc\">佐藤&鈴木<br>「第１話」</div></td>\t1\r\n");

  std::ostringstream out;
  ASSERT_TRUE(ExportXmltv(GooOnly(20110320, 1), out, nullptr));
  const std::string xml = out.str();
  const std::string news = ProgrammeOf(xml, "ニュース[字][再]");
  EXPECT_NE(news.find("<desc lang=\"ja\">佐藤&amp;鈴木\n「第１話」</desc>"), std::string::npos) << news;
  EXPECT_LT(news.find("<previously-shown/>"), news.find("<subtitles type=\"teletext\"/>")) << news;
  EXPECT_EQ(news.find("<episode-num"), std::string::npos);
  EXPECT_EQ(news.find("<new/>"), std::string::npos);
  const std::string drama = ProgrammeOf(xml, "ドラマ 星の海（第8回）[終]");
  EXPECT_LT(drama.find("<episode-num system=\"onscreen\">第8回</episode-num>"), drama.find("<last-chance/>")) << drama;
  EXPECT_NE(ProgrammeOf(xml, "#8 音楽の窓").find("<episode-num system=\"onscreen\">#8</episode-num>"), std::string::npos);
  const std::string anime = ProgrammeOf(xml, "アニメ 空［新］第12話");
  EXPECT_NE(anime.find("<episode-num system=\"onscreen\">第12話</episode-num>"), std::string::npos) << anime;
  EXPECT_NE(anime.find("<new/>"), std::string::npos) << anime;

  // The calendar: the markers as categories after the genre, the lines as lines.
  const PageReadResult read =
      ReadListingPages(app::HeadFolder() / "08GooTv.htm", DataPagePath(20110320, "08GooTv"), 20110320);
  const auto marked = std::find_if(read.day.programmes.begin(), read.day.programmes.end(),
                                   [](const ListingProgramme& p) { return p.title == "ニュース[字][再]"; });
  ASSERT_NE(marked, read.day.programmes.end());
  ICalendarExportOptions calendar;
  calendar.dataFolder = app::DataFolder();
  calendar.headFolder = app::HeadFolder();
  calendar.watchLists[20110320] = marked->watchId + "08GooTv,";
  std::ostringstream ics;
  ASSERT_TRUE(ExportICalendar(calendar, ics, nullptr));
  EXPECT_NE(ics.str().find("CATEGORIES:" + std::string(GenreNameJa(marked->genre)) + ",字幕,再放送\r\n"), std::string::npos)
      << ics.str();
  EXPECT_NE(ics.str().find("DESCRIPTION:佐藤&鈴木\\n「第１話」\r\n"), std::string::npos) << ics.str();
}

TEST_F(ExportContentsTest, ChannelIdsStayWhenAStationIsAddedToTheLineUp) {
  sites::SamplePageOptions options;
  AddPage(20110320, options, "");
  const std::vector<std::string> names = sites::SampleChannels("GooTv");
  for (size_t i = 0; i < names.size(); ++i) options.stations.push_back({names[i], "0" + std::to_string(i + 1)});
  options.stations.insert(options.stations.begin() + 1, sites::SampleStation{"みなとテレビ", "99"});
  options.seed = 2;
  AddPage(20110321, options, "");

  std::ostringstream out;
  ExportReport report;
  ASSERT_TRUE(ExportXmltv(GooOnly(20110320, 2), out, &report));
  const std::string xml = out.str();
  EXPECT_EQ(Count(xml, "<channel id="), names.size() + 1);
  EXPECT_EQ(report.programmesSkipped, 0);
  // The second station is column 2 on the first day and column 3 on the
  // second: one id, with the programmes of both days.
  const std::string id = "08GooTv-02.kanro";
  EXPECT_NE(xml.find("<channel id=\"" + id + "\">\n    <display-name lang=\"ja\">" + ThroughCp932(names[1])),
            std::string::npos);
  EXPECT_NE(xml.find("start=\"20110320050000 +0900\" stop="), std::string::npos);
  size_t perDay[2] = {0, 0};
  for (size_t at = xml.find("channel=\"" + id + "\""); at != std::string::npos; at = xml.find("channel=\"" + id + "\"", at + 1))
    ++perDay[xml.compare(xml.rfind("start=\"", at) + 7, 8, "20110320") == 0 ? 0 : 1];
  EXPECT_GT(perDay[0], 0u);
  EXPECT_GT(perDay[1], 0u);
  EXPECT_NE(xml.find("<channel id=\"08GooTv-99.kanro\">"), std::string::npos);
}

}  // namespace
}  // namespace kanro::exports
