// kanro-cli export end to end: a data folder filled by a real kanro-cli
// download from the local listing server, exported by a real kanro-cli, and
// checked by Debian's XMLTV validator and a real iCalendar parser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "export/channel_ids.h"
#include "export/listing_page_reader.h"
#include "fixtures/listing_server.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "support/text_count.h"
#include "support/test_environment.h"

namespace kanro::test {
namespace {

namespace fs = std::filesystem;


// Every file of a folder with its size and time, to see that nothing changed.
std::vector<std::string> Snapshot(const fs::path& folder) {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
    std::string line = fs::relative(entry.path(), folder).string();
    if (entry.is_regular_file())
      line += " " + std::to_string(entry.file_size()) + " " +
              std::to_string(entry.last_write_time().time_since_epoch().count());
    files.push_back(line);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> Settings() {
  std::vector<std::string> values;
  for (const app::ProfileValue& value : app::ListProfileValues())
    values.push_back(value.section + "/" + value.key + "=" + value.text);
  return values;
}

class CliExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileInt("Download", "WaitSec", 0);
    WriteProfileString("Download", "Programs", "08GooTv,13YahooAm,");
    ProcessResult download = Cli({"download", "--days", "2"});
    ASSERT_EQ(download.exitCode, 0) << download.err;
    ASSERT_EQ(server_.PageTargets().size(), 4u);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_.path().string()});
    return RunKanroCli(args);
  }
  static int Day(int offset) { return app::DateNumber(app::GetListingTime() + 86400 * offset); }

  // The programmes the listing server put on the page of a day.
  static size_t Scheduled(int date, const char* type, const char* code) {
    sites::SamplePageOptions options;
    options.typeKey = type;
    options.locationCode = code;
    options.year = date / 10000;
    options.month = date / 100 % 100;
    options.day = date % 100;
    return sites::SampleSchedule(options).size();
  }

  fs::path DataPage(int date, const std::string& entry) const {
    return data_.path() / "Data" / (std::to_string(date) + entry + ".htm");
  }

  static ProcessResult Validate(const fs::path& xml) {
    ProcessOptions options;
    options.env["XMLTV_SUPPLEMENT"] = "/usr/share/xmltv";  // the DTD from the package, not the network
    return RunProcess("/usr/bin/tv_validate_file", {xml.string()}, options);
  }

  ListingServer server_;
  TempDir data_{"kanro-cli-export"};
};

TEST_F(CliExportTest, XmltvOfTheDownloadedDaysValidatesAndChangesNothing) {
  const std::vector<std::string> filesBefore = Snapshot(data_.path());
  const std::vector<std::string> settingsBefore = Settings();
  const fs::path file = data_.path().parent_path() / (data_.path().filename().string() + ".xml");

  ProcessResult r = Cli({"export", "xmltv", "--output", file.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string xml = ReadAll(file);
  fs::remove(file);
  EXPECT_EQ(Count(xml, "<programme "), Scheduled(Day(0), "GooTv", "008") + Scheduled(Day(1), "GooTv", "008") +
                                           Scheduled(Day(0), "YahooAm", "28") + Scheduled(Day(1), "YahooAm", "28"));
  EXPECT_EQ(Count(xml, "<channel "), 8u + 5u);

  // The same document on standard output, and one day of it with --days.
  ProcessResult stdoutRun = Cli({"export", "xmltv"});
  ASSERT_EQ(stdoutRun.exitCode, 0) << stdoutRun.err;
  EXPECT_EQ(stdoutRun.out, xml);
  ProcessResult oneDay = Cli({"export", "xmltv", "--days", "1", "--from", std::to_string(Day(1))});
  ASSERT_EQ(oneDay.exitCode, 0) << oneDay.err;
  EXPECT_EQ(Count(oneDay.out, "<programme "), Scheduled(Day(1), "GooTv", "008") + Scheduled(Day(1), "YahooAm", "28"));

  const fs::path validated = data_.path().parent_path() / (data_.path().filename().string() + "-v.xml");
  WriteAll(validated, xml);
  ProcessResult valid = Validate(validated);
  fs::remove(validated);
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;

  EXPECT_EQ(Snapshot(data_.path()), filesBefore);
  EXPECT_EQ(Settings(), settingsBefore);
}

TEST_F(CliExportTest, ABrokenPageIsReportedWhileTheOthersAreExported) {
  WriteAll(DataPage(Day(1), "13YahooAm"), "<html><body>\x83\x7D cut");
  ProcessResult r = Cli({"export", "xmltv"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find(std::to_string(Day(1)) + "13YahooAm"), std::string::npos) << r.err;
  EXPECT_EQ(Count(r.out, "<programme "), Scheduled(Day(0), "GooTv", "008") + Scheduled(Day(1), "GooTv", "008") +
                                             Scheduled(Day(0), "YahooAm", "28"));
  const fs::path file = data_.path().parent_path() / (data_.path().filename().string() + ".xml");
  WriteAll(file, r.out);
  ProcessResult valid = Validate(file);
  fs::remove(file);
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
}

// Prints one line per event: UID, summary, start and end in UTC, alarm lead in seconds.
constexpr char kParseCalendar[] = R"(
import sys, datetime, icalendar
cal = icalendar.Calendar.from_ical(open(sys.argv[1], 'rb').read())
utc = datetime.timezone.utc
for ev in cal.walk('VEVENT'):
    alarms = ev.walk('VALARM')
    lead = int(alarms[0].decoded('TRIGGER').total_seconds()) if alarms else 0
    print('%s|%s|%s|%s|%d' % (ev['UID'], ev.decoded('SUMMARY').decode('utf-8') if isinstance(ev.decoded('SUMMARY'), bytes) else ev['SUMMARY'],
          ev.decoded('DTSTART').astimezone(utc).strftime('%Y%m%dT%H%M'),
          ev.decoded('DTEND').astimezone(utc).strftime('%Y%m%dT%H%M'), lead))
)";

std::string UtcText(int listingDate, int minute) {
  const exports::LocalDateTime utc = exports::ListingMoment(listingDate, minute - 9 * 60);
  char text[32];
  std::snprintf(text, sizeof text, "%08dT%02d%02d", utc.date, utc.minute / 60, utc.minute % 60);
  return text;
}

TEST_F(CliExportTest, ICalendarOfTheWatchMarksParsesWithTheExpectedEvents) {
  WriteProfileString("Watch", std::to_string(Day(1)).c_str(), "002008GooTv,");
  WriteProfileString("Watch", std::to_string(Day(0)).c_str(), "000308GooTv,001508GooTv,");
  WriteProfileInt("Window", "AlertMinute", 10);
  const std::vector<std::string> settingsBefore = Settings();
  const fs::path file = data_.path().parent_path() / (data_.path().filename().string() + ".ics");

  ProcessResult r = Cli({"export", "ical", "--output", file.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  ProcessResult parsed = RunProcess(kDebianPython, {"-c", kParseCalendar, file.string()});
  fs::remove(file);
  ASSERT_EQ(parsed.exitCode, 0) << parsed.err;

  std::string expected;
  for (const auto& [offset, id] : {std::pair{0, "0003"}, std::pair{0, "0015"}, std::pair{1, "0020"}}) {
    const int date = Day(offset);
    const exports::PageReadResult page =
        exports::ReadListingPages(data_.path() / "Head" / "08GooTv.htm", DataPage(date, "08GooTv"), date);
    ASSERT_TRUE(page.ok) << page.error;
    const auto found = std::find_if(page.day.programmes.begin(), page.day.programmes.end(),
                                    [&](const exports::ListingProgramme& p) { return p.watchId == id; });
    ASSERT_NE(found, page.day.programmes.end());
    // The UID names the programme: date, entry, station and start.
    const std::string station = exports::StationTokens(page.day.channels)[found->channel];
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d%02d", found->startMinute / 60, found->startMinute % 60);
    expected += std::to_string(date) + "-08GooTv-" + station + "-" + clock + "@kanro|" + found->title + "|" +
                UtcText(date, found->startMinute) + "|" + UtcText(date, found->stopMinute) + "|-600\n";
  }
  std::istringstream lines(parsed.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line + "\n");
  std::sort(got.begin(), got.end());
  std::string sorted;
  for (const std::string& line : got) sorted += line;
  std::istringstream wanted(expected);
  std::vector<std::string> want;
  for (std::string line; std::getline(wanted, line);) want.push_back(line + "\n");
  std::sort(want.begin(), want.end());
  std::string wantSorted;
  for (const std::string& line : want) wantSorted += line;
  EXPECT_EQ(sorted, wantSorted);
  EXPECT_EQ(Settings(), settingsBefore);

  // A mark whose programme is not on the page is reported, and the rest written.
  WriteProfileString("Watch", std::to_string(Day(1)).c_str(), "002008GooTv,987608GooTv,");
  ProcessResult missing = Cli({"export", "ical"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("987608GooTv"), std::string::npos) << missing.err;
  EXPECT_EQ(Count(missing.out, "BEGIN:VEVENT"), 3u);
}

// Pages downloaded for entries the programme list no longer holds (a
// download with --programs) are exported all the same; --programs narrows the
// export; a range without any page is a failure with its reason, and the file
// a media centre reads is left as it was.
TEST_F(CliExportTest, EveryEntryWithPagesUnlessProgramsNarrowsAndNothingFoundFails) {
  const size_t goo = Scheduled(Day(0), "GooTv", "008") + Scheduled(Day(1), "GooTv", "008");
  const size_t yahoo = Scheduled(Day(0), "YahooAm", "28") + Scheduled(Day(1), "YahooAm", "28");
  WriteProfileString("Download", "Programs", "47YahooFm,");
  ProcessResult all = Cli({"export", "xmltv"});
  ASSERT_EQ(all.exitCode, 0) << all.err;
  EXPECT_EQ(Count(all.out, "<programme "), goo + yahoo);

  ProcessResult narrowed = Cli({"export", "xmltv", "--programs", "13YahooAm,"});
  ASSERT_EQ(narrowed.exitCode, 0) << narrowed.err;
  EXPECT_EQ(Count(narrowed.out, "<programme "), yahoo);
  EXPECT_EQ(Count(narrowed.out, "<channel "), 5u);

  const fs::path file = data_.path().parent_path() / (data_.path().filename().string() + "-kept.xml");
  WriteAll(file, "the guide of yesterday");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"export", "xmltv", "--programs", "47YahooFm,", "--output", file.string()},
        {"export", "xmltv", "--from", std::to_string(Day(5)), "--output", file.string()}}) {
    ProcessResult none = Cli(args);
    EXPECT_EQ(none.exitCode, 1) << args[3];
    EXPECT_NE(none.err.find("nothing was exported"), std::string::npos) << none.err;
    EXPECT_EQ(none.out.find("written:"), std::string::npos) << none.out;
    EXPECT_EQ(ReadAll(file), "the guide of yesterday");
  }
  fs::remove(file);
}

TEST_F(CliExportTest, ICalendarDaysTakesTheMarksOfTheDaysAhead) {
  WriteProfileString("Watch", std::to_string(Day(0)).c_str(), "000308GooTv,");
  WriteProfileString("Watch", std::to_string(Day(1)).c_str(), "002008GooTv,");
  ProcessResult one = Cli({"export", "ical", "--days", "1"});
  ASSERT_EQ(one.exitCode, 0) << one.err;
  EXPECT_EQ(Count(one.out, "BEGIN:VEVENT"), 1u);
  EXPECT_NE(one.out.find("UID:" + std::to_string(Day(0)) + "-"), std::string::npos);
  ProcessResult two = Cli({"export", "ical", "--days", "2"});
  EXPECT_EQ(Count(two.out, "BEGIN:VEVENT"), 2u);
}

TEST_F(CliExportTest, BadArgumentsAreUsageErrors) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"export"}, {"export", "pdf"}, {"export", "xmltv", "--days", "0"},
        {"export", "xmltv", "--from", "20110230"}, {"export", "xmltv", "--days"}, {"export", "ical", "--days", "0"},
        {"export", "ical", "--from", "20110309"}, {"export", "xmltv", "--programs", "Tokyo"}}) {
    ProcessResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
  }
  ProcessResult unwritable = Cli({"export", "xmltv", "--output", (data_.path() / "no" / "such" / "x.xml").string()});
  EXPECT_EQ(unwritable.exitCode, 1);
}

}  // namespace
}  // namespace kanro::test
