// Retention clean-up with an injected clock in a fixed time zone.
#include "app/retention.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;

class RetentionTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    kanro::app::DeleteAllProfileValues();
    kanro::app::SetDataDir(dir_.path());
    fs::create_directories(dir_ / "Data");
    // 03:00 on 10 March 2011: the listing time is 22:05 on 9 March.
    const int64_t now = kanro::app::FromLocalDate(2011, 3, 10, 3, 0, 0);
    kanro::app::SetClockForTesting([now] { return now; });
  }
  void TearDown() override {
    kanro::app::SetClockForTesting({});
    kanro::app::DeleteAllProfileValues();
  }

  void AddPage(const std::string& name) { kanro::test::WriteAll(dir_ / "Data" / name, "page"); }

  std::set<std::string> Pages() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_ / "Data")) names.insert(entry.path().filename().string());
    return names;
  }

  void AddTypicalDays() {
    for (const char* name : {"2011031008GooTv.htm", "2011030908GooTv.htm", "2011030808GooTv.htm",
                             "2011030813YahooFm.htm", "2011030708GooTv.htm", "2011030627GooBsDisital.htm",
                             "2010123101GooTv.htm", "backup.htm", "notes.txt", "_2011010101GooTv.htm"})
      AddPage(name);
  }

  kanro::test::TempDir dir_;
};

TEST_F(RetentionTest, ListingDayStartsAt0455) {
  EXPECT_EQ(kanro::app::DateText(kanro::app::GetListingTime()), "20110309");
  kanro::app::SetClockForTesting([] { return kanro::app::FromLocalDate(2011, 3, 10, 4, 55, 0); });
  EXPECT_EQ(kanro::app::DateNumber(kanro::app::GetListingTime()), 20110310);
}

TEST_F(RetentionTest, OneDayKeepsTheDayBeforeTheListingDayAndRemovesOlderPagesAndTheirMarks) {
  AddTypicalDays();
  for (const char* day : {"20110309", "20110308", "20110307", "20110306", "20110301"}) {
    WriteProfileString("Watch", day, "0001 08GooTv,");
    WriteProfileString("AutoWatch", day, "0001 08GooTv,");  // what the watch rules marked
  }
  WriteProfileString("Download", "ExistTerm", "1");

  EXPECT_EQ(kanro::app::RemoveOldFiles(), 3);

  EXPECT_EQ(Pages(), (std::set<std::string>{"2011031008GooTv.htm", "2011030908GooTv.htm", "2011030808GooTv.htm",
                                            "2011030813YahooFm.htm", "backup.htm", "notes.txt",
                                            "_2011010101GooTv.htm"}));
  // Marks of removed days go; marks of kept days, and of days without a page, stay.
  EXPECT_EQ(kanro::app::ListProfileKeys("Watch"), (std::vector<std::string>{"20110301", "20110308", "20110309"}));
  EXPECT_EQ(kanro::app::ListProfileKeys("AutoWatch"), kanro::app::ListProfileKeys("Watch"));
}

TEST_F(RetentionTest, WhatTheSourcesSawOfARemovedDayGoesWithIt) {
  fs::create_directories(dir_ / "Sources");
  for (const char* name : {"2011030808TunerGr.json", "2011030708TunerGr.json", "2011030113Xmltv.json", "notes.json"})
    kanro::test::WriteAll(dir_ / "Sources" / name, "[]");
  WriteProfileString("Download", "ExistTerm", "1");
  kanro::app::RemoveOldFiles();
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(dir_ / "Sources")) left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"2011030808TunerGr.json", "notes.json"}));
}

TEST_F(RetentionTest, ZeroOrUnreadableTermsKeepEverything) {
  AddTypicalDays();
  const std::set<std::string> before = Pages();
  for (std::string term : {std::string("0"), std::string(""), kanro::text::Utf8ToCp932("∞"), std::string("abc"),
                           std::string("-3"), std::string("99999999999"), std::string("999999999999999999999999")}) {
    WriteProfileString("Download", "ExistTerm", term);
    EXPECT_EQ(kanro::app::RemoveOldFiles(), 0) << term;
    EXPECT_EQ(Pages(), before) << term;
  }
  // Absent means "0" as well.
  WriteProfileString("Download", "ExistTerm", static_cast<const char*>(nullptr));
  EXPECT_EQ(kanro::app::RemoveOldFiles(), 0);
}

TEST_F(RetentionTest, OnlyLeadingDigitsOfTheTermCount) {
  EXPECT_EQ(kanro::app::ParseRetentionDays("3 days"), 3);
  EXPECT_EQ(kanro::app::ParseRetentionDays("07"), 7);
  EXPECT_EQ(kanro::app::ParseRetentionDays(" 3"), 0);
  AddTypicalDays();
  WriteProfileString("Download", "ExistTerm", "3日");
  // Cut-off 6 March: pages of 6 March stay, 31 December goes.
  EXPECT_EQ(kanro::app::RemoveOldFiles(), 1);
  EXPECT_TRUE(Pages().count("2011030627GooBsDisital.htm"));
}

TEST_F(RetentionTest, MissingDataFolderIsNoError) {
  fs::remove_all(dir_ / "Data");
  WriteProfileString("Download", "ExistTerm", "1");
  EXPECT_EQ(kanro::app::RemoveOldFiles(), 0);
}

}  // namespace
