// kanro-cli search end to end: settings, Keyword.txt and data pages in a
// temporary data folder, results read from the command's output.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/settings_store.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::RunKanroCli;
using kanro::test::TempDir;
using kanro::test::WriteAll;
using kanro::text::Utf8ToCp932;

class CliSearchTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_.path() / "Data"); }
  void TearDown() override { WriteProfileString("Download", "Programs", nullptr); }

  void Keywords(const std::string& utf8) { WriteAll(dir_.path() / "Keyword.txt", Utf8ToCp932(utf8)); }
  void Page(const std::string& name, const std::string& utf8) {
    WriteAll(dir_.path() / "Data" / name, Utf8ToCp932(utf8));
  }
  kanro::test::ProcessResult Search(std::vector<std::string> args = {}) {
    args.insert(args.begin(), {"--data-dir", dir_.path().string(), "search"});
    return RunKanroCli(args);
  }

  TempDir dir_{"kanro-cli-search"};
};

TEST_F(CliSearchTest, PrintsResultsInKeywordThenKeyOrderAndNamesInvalidKeywords) {
  // Unknown types and empty items are left out of the entries, as the listing
  // selector leaves them out; the repeated 08GooTv keeps position 1.
  WriteProfileString("Download", "Programs", "27GooTv,08GooTv,\"13YahooFm\",99Unknown,,08GooTv,");
  Keywords("映画\r\n存在しない番組\r\nドラマ(\r\nニュース|天気\r\n映画");
  Page("2099031013YahooFm.htm", "<td>天気</td>\r\n<td>映画</td>\r\n<td>映画 字幕</td>\r\n");
  Page("2099030908GooTv.htm", "<td>ニュース</td>\r\n<td>映画</td>\r\n");
  Page("2099030927GooTv.htm", "<td>映画</td>\r\n");
  Page("2099030808GooTv.htm", "<td>映画 ニュース</td>\r\n");  // before the listing day
  Page("2099030901GooTv.htm", "<td>映画 ニュース</td>\r\n");  // not in the programme list

  const auto result = Search({"--date", "20990309"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out,
            "映画\t2099030900\t03/09 兵庫県【地上波】\n"
            "映画\t2099030901\t03/09 東京都【地上波】\n"
            "映画\t2099031002\t03/10 栃木県【FMラジオ】\n"
            "ニュース|天気\t2099030901\t03/09 東京都【地上波】\n"
            "ニュース|天気\t2099031002\t03/10 栃木県【FMラジオ】\n"
            "映画\t2099030900\t03/09 兵庫県【地上波】\n"
            "映画\t2099030901\t03/09 東京都【地上波】\n"
            "映画\t2099031002\t03/10 栃木県【FMラジオ】\n");
  EXPECT_NE(result.err.find("ドラマ("), std::string::npos) << result.err;
  EXPECT_EQ(result.err.find("映画"), std::string::npos) << result.err;
}

TEST_F(CliSearchTest, DefaultsToTheCurrentListingDayAndTheDefaultProgrammeList) {
  WriteProfileString("Download", "Programs", "");
  Keywords("映画");
  Page("2099123108GooTv.htm", "<td>映画</td>");
  Page("2000010108GooTv.htm", "<td>映画</td>");
  Page("2099123113GooTv.htm", "<td>映画</td>");
  const auto result = Search();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "映画\t2099123100\t12/31 東京都【地上波】\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(CliSearchTest, EmptyKeywordListPrintsNothingAndBadDatesAreUsageErrors) {
  Keywords("");
  Page("2099123108GooTv.htm", "<td>映画</td>");
  auto result = Search({"--date", "20990309"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, "");

  for (const char* bad : {"2099039", "2099-3-9", "20991301", "tomorrow"}) {
    result = Search({"--date", bad});
    EXPECT_EQ(result.exitCode, 2) << bad;
    EXPECT_NE(result.err.find("usage: kanro-cli search"), std::string::npos) << bad;
  }
  EXPECT_EQ(Search({"--date"}).exitCode, 2);
  EXPECT_EQ(Search({"extra"}).exitCode, 2);
}

}  // namespace
