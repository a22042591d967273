// kanro-cli watch end to end: a data page converted by a real kanro-cli from a
// generated goo page, marks set and listed by a real kanro-cli.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace kanro::test {
namespace {

namespace fs = std::filesystem;

class CliWatchTest : public ::testing::Test {
 protected:
  void SetUp() override { app::DeleteAllProfileValues(); }
  void TearDown() override { app::DeleteAllProfileValues(); }

  ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_.path().string(), "watch"});
    return RunKanroCli(args);
  }

  // Converts a generated page of 2011-03-09 into the data folder and returns
  // two of its programmes that carry watch links.
  std::vector<exports::ListingProgramme> ConvertPage() {
    sites::SamplePageOptions options;
    const fs::path saved = data_ / "saved.html";
    EXPECT_TRUE(sites::WriteSamplePage(saved, options));
    const ProcessResult convert = RunKanroCli(
        {"--data-dir", data_.path().string(), "convert", "--entry", "08GooTv", "--date", "20110309", saved.string()});
    EXPECT_EQ(convert.exitCode, 0) << convert.err;
    const auto read =
        exports::ReadListingPages(data_ / "Head" / "08GooTv.htm", data_ / "Data" / "2011030908GooTv.htm", 20110309);
    EXPECT_TRUE(read.ok) << read.error;
    // The first programme, and the first after midnight (shown with its clock time).
    std::vector<exports::ListingProgramme> picked;
    for (const auto& programme : read.day.programmes)
      if (!programme.watchId.empty() && picked.empty()) picked.push_back(programme);
    for (const auto& programme : read.day.programmes)
      if (!programme.watchId.empty() && programme.startMinute >= 24 * 60 && picked.size() == 1)
        picked.push_back(programme);
    return picked;
  }

  static std::string Clock(int startMinute) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", startMinute / 60 % 24, startMinute % 60);
    return text;
  }

  TempDir data_{"kanro-cli-watch"};
};

TEST_F(CliWatchTest, ToggledMarksAreListedWithTheProgrammeTheirPageHolds) {
  const auto programmes = ConvertPage();
  ASSERT_EQ(programmes.size(), 2u);
  const std::string morning = programmes[0].watchId + "08GooTv";
  const std::string smallHours = programmes[1].watchId + "08GooTv";

  EXPECT_EQ(Cli({"toggle", "20110309", morning}).out, "WATCH=Y\n");
  EXPECT_EQ(Cli({"toggle", "20110309", smallHours}).out, "WATCH=Y\n");
  EXPECT_EQ(Cli({"toggle", "20110309", "9999908GooTv"}).out, "WATCH=Y\n");   // not on the page
  EXPECT_EQ(Cli({"toggle", "20110310", "000113YahooFm"}).out, "WATCH=Y\n");  // no page that day
  EXPECT_EQ(GetProfileString("Watch", "20110309", ""), morning + "," + smallHours + ",9999908GooTv,");

  const std::string day9 = "20110309\t" + morning + "\t" + Clock(programmes[0].startMinute) + "\t" +
                           programmes[0].title + "\n" + "20110309\t" + smallHours + "\t" +
                           Clock(programmes[1].startMinute) + "\t" + programmes[1].title + "\n" +
                           "20110309\t9999908GooTv\n";
  ProcessResult list = Cli({"list"});
  EXPECT_EQ(list.exitCode, 0) << list.err;
  EXPECT_EQ(list.out, day9 + "20110310\t000113YahooFm\n");
  EXPECT_EQ(Cli({"list", "--date", "20110310"}).out, "20110310\t000113YahooFm\n");
  EXPECT_EQ(Cli({"list", "--date", "20110311"}).out, "");

  // The second toggle removes the mark; the emptied day stays as an empty list.
  EXPECT_EQ(Cli({"toggle", "20110310", "000113YahooFm"}).out, "WATCH=N\n");
  EXPECT_EQ(Cli({"list"}).out, day9);
  EXPECT_EQ(GetProfileString("Watch", "20110310", "<absent>"), "");
}

TEST_F(CliWatchTest, MalformedArgumentsAreUsageErrorsAndStoreNothing) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"show"},
           {"toggle", "20110309"},
           {"toggle", "2011039", "012308GooTv"},
           {"toggle", "2011030a", "012308GooTv"},
           {"toggle", "20110309", "012GooTv"},
           {"toggle", "20110309", "0123GooTv"},
           {"toggle", "20110309", "012308Bogus"},
           {"toggle", "20110309", "012308GooTv", "extra"},
           {"list", "--date"},
           {"list", "--date", "March"},
           {"list", "extra"},
       }) {
    const ProcessResult result = Cli(args);
    std::string shown;
    for (const std::string& arg : args) shown += arg + " ";
    EXPECT_EQ(result.exitCode, 2) << shown;
    EXPECT_EQ(result.out, "") << shown;
    EXPECT_NE(result.err.find("usage: kanro-cli watch"), std::string::npos) << shown << result.err;
  }
  EXPECT_TRUE(app::ListProfileKeys("Watch").empty());
}

// Well-formed, but no page of ours can carry the mark: each is refused with
// its reason, and nothing is stored.
TEST_F(CliWatchTest, MarksNoPageCanCarryAreRefusedWithTheReason) {
  const struct {
    std::vector<std::string> args;
    std::string reason;
  } cases[] = {
      {{"toggle", "20110230", "012308GooTv"}, "calendar date"},
      {{"toggle", "20111301", "012308GooTv"}, "calendar date"},
      {{"toggle", "00000000", "012308GooTv"}, "calendar date"},
      {{"toggle", "20110309", "012399GooTv"}, "01 to 47"},
      {{"toggle", "20110309", "012300GooTv"}, "01 to 47"},
      {{"toggle", "20110309", std::string(26, '1') + "08GooTv"}, "26 digits"},
      {{"toggle", "20110309", "012308gootv"}, "not a listing type"},
  };
  for (const auto& c : cases) {
    const ProcessResult result = Cli(c.args);
    SCOPED_TRACE(c.args[1] + " " + c.args[2]);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
  }
  EXPECT_TRUE(app::ListProfileKeys("Watch").empty());
  // The edges that are real: a leap day, prefecture 47, ten digits.
  EXPECT_EQ(Cli({"toggle", "20120229", "123456789047YahooFm"}).out, "WATCH=Y\n");
}

}  // namespace
}  // namespace kanro::test
