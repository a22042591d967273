// The automatic watch rules end to end: a real kanro-cli download from the
// demo server, rules added and listed by kanro-cli, `watch auto` marking
// what they match in the ordinary watch lists, a mark the user removes
// staying removed, overlapping marks flagged by `watch list`, and `now`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "export/civil_date.h"
#include "export/listing_page_reader.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "text/tokenizer.h"

namespace kanro::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEntry = "08GooTv";

std::vector<std::string> Lines(const std::string& out) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start));
  return lines;
}

std::vector<std::string> Fields(const std::string& line) { return text::SplitFields(line, '\t'); }

class CliAutoWatchTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    app::DeleteAllProfileValues();
    server_ = new demo::DemoServer;
    std::string error;
    ASSERT_TRUE(server_->Start(0, &error)) << error;
    demo::PointAtServer(*server_);
    ASSERT_TRUE(demo::PresetFirstStart());
    WriteProfileInt("Download", "Days", 2);
    WriteProfileString("Download", "Programs", std::string(kEntry) + ",");
    data_ = new TempDir("kanro-auto-watch");
    const ProcessResult download = RunKanroCli({"--data-dir", data_->path().string(), "download"});
    ASSERT_EQ(download.exitCode, 0) << download.err;
  }
  static void TearDownTestSuite() {
    delete data_;
    delete server_;
    app::DeleteAllProfileValues();
  }
  void SetUp() override {
    for (const std::string& date : app::ListProfileKeys("Watch")) app::DeleteProfileValues("Watch", {date});
    app::DeleteProfileSection("AutoWatch");
    fs::remove(data_->path() / "AutoWatch.txt");
  }

  static ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_->path().string()});
    return RunKanroCli(args);
  }
  // Tomorrow's page: all of it lies ahead, whenever the test runs.
  static int Tomorrow() { return exports::AddDays(app::DateNumber(app::GetListingTime()), 1); }
  static exports::ListingDay ReadDay(int date) {
    const auto read = exports::ReadListingPages(data_->path() / "Head" / (std::string(kEntry) + ".htm"),
                                                data_->path() / "Data" / (std::to_string(date) + kEntry + ".htm"), date);
    EXPECT_TRUE(read.ok) << read.error;
    return read.day;
  }
  static std::string Watch(int date) { return GetProfileString("Watch", std::to_string(date).c_str()); }

  static demo::DemoServer* server_;
  static TempDir* data_;
};
demo::DemoServer* CliAutoWatchTest::server_ = nullptr;
TempDir* CliAutoWatchTest::data_ = nullptr;

TEST_F(CliAutoWatchTest, RulesAreAddedListedAndDeletedByNumberAndBadOnesAreRefused) {
  EXPECT_EQ(Cli({"watch", "rules", "add", "ニュース", "--programs", "08GooTv,13YahooFm", "--weekdays", "12345",
                 "--time", "21:00-01:30"})
                .out,
            "1\n");
  EXPECT_EQ(Cli({"watch", "rules", "add", "映画", "--channels", "ＮＨＫ総合", "--disabled"}).out, "2\n");
  EXPECT_EQ(test::ReadAll(data_->path() / "AutoWatch.txt"),
            text::Utf8ToCp932("ニュース\t08GooTv,13YahooFm,\t\t12345\t21:00-01:30\t1\r\n映画\t\tＮＨＫ総合\t\t\t0\r\n"));

  // Refused before anything is written, with the reason.
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused{
      {{"watch", "rules", "add", "(ニュース"}, "正しい正規表現ではありません"},
      {{"watch", "rules", "add", "x", "--weekdays", "7"}, "曜日"},
      {{"watch", "rules", "add", "x", "--time", "21:00"}, "時間帯"},
      {{"watch", "rules", "add", "x", "--programs", "Tokyo"}, "Tokyo"},
      {{"watch", "rules", "add", "a\tb"}, "タブ"},
      {{"watch", "rules", "add", "\xF0\x9F\x93\xBA"}, "Shift-JIS cannot hold"},
      {{"watch", "rules", "add", "x", "--colour", "red"}, "--colour"},
      {{"watch", "rules", "delete", "3"}, "1 to 2"},
      {{"watch", "rules", "delete", "0"}, "1 to 2"},
      {{"watch", "rules", "delete", "one"}, "1 to 2"},
      {{"watch", "rules", "rename"}, "rename"},
  };
  for (const auto& [args, reason] : refused) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << args.back();
    EXPECT_NE(r.err.find(reason), std::string::npos) << r.err;
  }

  // A line written by hand that no rule can be is listed as such.
  test::WriteAll(data_->path() / "AutoWatch.txt", test::ReadAll(data_->path() / "AutoWatch.txt") + "(\t\t\t\t\t1\r\n");
  const std::vector<std::string> listed = Lines(Cli({"watch", "rules", "list"}).out);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0], "1\ton\tニュース\t08GooTv,13YahooFm,\t\t12345\t21:00-01:30");
  EXPECT_EQ(listed[1], "2\toff\t映画\t\tＮＨＫ総合\t\t");
  EXPECT_EQ(Fields(listed[2])[1], "invalid");
  EXPECT_NE(listed[2].find("正しい正規表現ではありません"), std::string::npos);

  EXPECT_EQ(Cli({"watch", "rules", "delete", "1"}).exitCode, 0);
  const std::vector<std::string> left = Lines(Cli({"watch", "rules", "list"}).out);
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(left[0].rfind("1\toff\t映画\t", 0), 0u) << left[0];
}

TEST_F(CliAutoWatchTest, WatchAutoMarksWhatTheRulesMatchAndRespectsAMarkTheUserRemoved) {
  const int tomorrow = Tomorrow();
  const exports::ListingDay day = ReadDay(tomorrow);
  ASSERT_FALSE(day.programmes.empty());
  // A title of tomorrow's page, limited to its start so one programme matches.
  const exports::ListingProgramme* target = nullptr;
  for (const auto& programme : day.programmes)
    if (!programme.watchId.empty() && programme.startMinute >= 20 * 60 && programme.startMinute < 23 * 60 &&
        !target)
      target = &programme;
  ASSERT_NE(target, nullptr);
  char range[32];
  const int end = target->startMinute + 1;
  std::snprintf(range, sizeof range, "%02d:%02d-%02d:%02d", target->startMinute / 60, target->startMinute % 60,
                end / 60, end % 60);
  const std::string channel = day.channels[target->channel].name;
  std::string pattern;
  for (const char c : target->title) pattern += std::string("\\.^$|?*+()[]{}").find(c) == std::string::npos ? std::string(1, c) : std::string("\\") + c;
  ASSERT_EQ(Cli({"watch", "rules", "add", pattern, "--channels", channel, "--time", range}).exitCode, 0);
  ASSERT_EQ(Cli({"watch", "rules", "add", "(broken"}).exitCode, 2);  // never stored
  test::WriteAll(data_->path() / "AutoWatch.txt",
                 test::ReadAll(data_->path() / "AutoWatch.txt") + "[\t\t\t\t\t1\r\n");  // written by hand

  const std::string key = target->watchId + kEntry;
  ProcessResult run = Cli({"watch", "auto"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "marked 1, already marked 0, left unmarked as you chose 0\n");
  EXPECT_NE(run.err.find("規則 2 は使えません"), std::string::npos) << run.err;
  EXPECT_EQ(Watch(tomorrow), key + ",");

  // It is an ordinary mark: `watch list` shows it with its programme.
  const std::vector<std::string> listed = Lines(Cli({"watch", "list", "--date", std::to_string(tomorrow)}).out);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(Fields(listed[0]).size(), 4u) << listed[0];
  EXPECT_EQ(Fields(listed[0])[3], target->title);

  // Unmarked by the user: the next runs leave it unmarked.
  EXPECT_EQ(Cli({"watch", "toggle", std::to_string(tomorrow), key}).out, "WATCH=N\n");
  for (int i = 0; i < 2; ++i) {
    run = Cli({"watch", "auto"});
    EXPECT_EQ(run.out, "marked 0, already marked 0, left unmarked as you chose 1\n");
    EXPECT_EQ(Watch(tomorrow), "");
  }
  // A fresh download of the day keeps it so.
  ASSERT_EQ(Cli({"download", "--force"}).exitCode, 0);
  run = Cli({"watch", "auto"});
  EXPECT_EQ(run.out, "marked 0, already marked 0, left unmarked as you chose 1\n");
}

TEST_F(CliAutoWatchTest, OverlappingMarksCarryAnOverlapColumnInWatchList) {
  const int tomorrow = Tomorrow();
  const exports::ListingDay day = ReadDay(tomorrow);
  // Two programmes of different channels whose times overlap, and one that
  // overlaps neither.
  const exports::ListingProgramme *a = nullptr, *b = nullptr, *alone = nullptr;
  for (const auto& p : day.programmes)
    for (const auto& q : day.programmes)
      if (!a && p.channel == 0 && q.channel == 1 && !p.watchId.empty() && !q.watchId.empty() &&
          p.startMinute < q.stopMinute && q.startMinute < p.stopMinute && p.startMinute >= 12 * 60) {
        a = &p;
        b = &q;
      }
  ASSERT_TRUE(a && b);
  for (const auto& p : day.programmes)
    if (!alone && p.channel == 0 && p.startMinute >= b->stopMinute + 60 && !p.watchId.empty()) alone = &p;
  ASSERT_NE(alone, nullptr);
  const std::string date = std::to_string(tomorrow);
  const std::string keyA = a->watchId + kEntry, keyB = b->watchId + kEntry, keyAlone = alone->watchId + kEntry;
  for (const std::string& key : {keyA, keyB, keyAlone}) ASSERT_EQ(Cli({"watch", "toggle", date, key}).exitCode, 0);
  // A mark whose page is gone is listed as before and overlaps nothing.
  ASSERT_EQ(Cli({"watch", "toggle", "20110309", "012308GooTv"}).exitCode, 0);

  const std::vector<std::string> listed = Lines(Cli({"watch", "list"}).out);
  ASSERT_EQ(listed.size(), 4u);
  EXPECT_EQ(listed[0], "20110309\t012308GooTv");
  EXPECT_EQ(Fields(listed[1]).size(), 5u) << listed[1];
  EXPECT_EQ(Fields(listed[1])[4], date + ":" + keyB);
  EXPECT_EQ(Fields(listed[2])[4], date + ":" + keyA);
  EXPECT_EQ(Fields(listed[3]).size(), 4u) << listed[3];
}

TEST_F(CliAutoWatchTest, NowPrintsFourFieldsAProgrammeForTheChannelsOfTheListing) {
  const ProcessResult now = Cli({"now", "--programs", std::string(kEntry) + ","});
  ASSERT_EQ(now.exitCode, 0) << now.err;
  const exports::ListingDay day = ReadDay(app::DateNumber(app::GetListingTime()));
  const std::vector<std::string> lines = Lines(now.out);
  // Whatever the hour, the next programme of every channel lies on today's page.
  EXPECT_GE(lines.size(), day.channels.size());
  for (const std::string& line : lines) {
    const std::vector<std::string> fields = Fields(line);
    ASSERT_EQ(fields.size(), 4u) << line;
    bool known = false;
    for (const auto& channel : day.channels) known = known || channel.name == fields[0];
    EXPECT_TRUE(known) << fields[0];
    EXPECT_NE(fields[1].find(':'), std::string::npos);
  }
  EXPECT_EQ(Cli({"now", "--programs", "Tokyo"}).exitCode, 2);
  EXPECT_EQ(Cli({"now", "extra"}).exitCode, 2);
}

}  // namespace
}  // namespace kanro::test
