// The Xmltv listing type end to end: a file written by Kanro's own
// "export xmltv" downloads back to the same programmes, times and titles;
// files that tv_validate_file accepts, with other offsets and several
// languages, land at their moments; bad files fail naming the page and the
// reason and keep the old page.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "demo/source_stand_ins.h"
#include "export/listing_page_reader.h"
#include "fixtures/download_fixture.h"
#include "listing/download_thread.h"
#include "sources/xmltv_reader.h"
#include "support/process.h"
#include "support/time_zone.h"

namespace kanro::sources {
namespace {

namespace fs = std::filesystem;

class XmltvSourceTest : public test::DownloadFixture {
 protected:
  void SetUp() override {
    // The exports write Japanese wall-clock times; the children inherit it.
    zone_.Use("JST-9");
    DownloadFixture::SetUp();
  }

  int Run(const std::string& programmes, int64_t start) {
    param_ = listing::DOWNLOADPARAM{};
    param_.days = 1;
    param_.start = start;
    param_.force = true;
    param_.window = &window_;
    param_.programmes = programmes;
    return listing::DownloadThread(&param_);
  }
  exports::ListingDay Page(const std::string& entry, int date) {
    const exports::PageReadResult read =
        exports::ReadListingPages(HeadPage(entry), DataPage(std::to_string(date) + entry), date);
    EXPECT_TRUE(read.ok) << read.error;
    return read.day;
  }

  static test::ProcessResult Validate(const fs::path& file) {
    test::ProcessOptions options;
    options.env["XMLTV_SUPPLEMENT"] = "/usr/share/xmltv";  // the DTD from the package, not the network
    return test::RunProcess("/usr/bin/tv_validate_file", {file.string()}, options);
  }

  test::RecordingTarget window_;
  listing::DOWNLOADPARAM param_;
  test::ScopedTimeZone zone_;
};

TEST_F(XmltvSourceTest, AFileOfKanrosOwnExportReadsBackToTheSameProgrammes) {
  server_.SetRichPages(true);
  const int64_t start = Noon(2011, 3, 9);
  ASSERT_EQ(Run("08GooTv,", start), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay site = Page("08GooTv", 20110309);
  ASSERT_GT(site.programmes.size(), 20u);

  WriteProfileString("Download", "Programs", "08GooTv,");
  const fs::path file = data_ / "guide.xml";
  const test::ProcessResult exported = test::RunKanroCli(
      {"--data-dir", data_.path().string(), "export", "xmltv", "--from", "20110309", "--days", "1", "--output", file.string()});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const test::ProcessResult valid = Validate(file);
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;

  WriteProfileString("URL", "Xmltv", file.string());
  ASSERT_EQ(Run("08Xmltv,", start), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay back = Page("08Xmltv", 20110309);
  ASSERT_EQ(back.channels.size(), site.channels.size());
  for (size_t i = 0; i < site.channels.size(); ++i) EXPECT_EQ(back.channels[i].name, site.channels[i].name);
  ASSERT_EQ(back.programmes.size(), site.programmes.size());
  for (size_t i = 0; i < site.programmes.size(); ++i) {
    const auto& a = site.programmes[i];
    const auto& b = back.programmes[i];
    SCOPED_TRACE(a.title);
    EXPECT_EQ(b.channel, a.channel);
    EXPECT_EQ(b.startMinute, a.startMinute);
    EXPECT_EQ(b.stopMinute, a.stopMinute);
    EXPECT_EQ(b.title, a.title);
    EXPECT_EQ(b.description, a.description);
    EXPECT_EQ(b.genre, a.genre);
    EXPECT_EQ(b.isNew, a.isNew);
    EXPECT_FALSE(b.watchId.empty());
  }
}

TEST_F(XmltvSourceTest, AValidatedFileWithOtherOffsetsAndLanguagesLandsAtItsMoments) {
  const fs::path file = data_ / "other.xml";
  test::WriteAll(file, R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE tv SYSTEM "xmltv.dtd">
<tv source-info-name="test">
  <channel id="one.example.jp">
    <display-name lang="en">Channel One</display-name>
    <display-name lang="ja">第一放送</display-name>
  </channel>
  <channel id="two.example.jp">
    <display-name lang="en">Channel Two</display-name>
  </channel>
  <programme start="20110308210000 +0000" stop="20110308220000 +0000" channel="one.example.jp">
    <title lang="en">Morning Show</title>
    <title lang="ja">朝の番組</title>
    <desc lang="ja">ゆったりと</desc>
    <category lang="en">News</category>
    <new />
  </programme>
  <programme start="20110309100000 -0500" stop="20110309103000 -0500" channel="two.example.jp">
    <title lang="en">Night Movie</title>
    <category lang="en">Movie</category>
    <episode-num system="onscreen">Part 2</episode-num>
    <previously-shown />
  </programme>
</tv>
)");
  const test::ProcessResult valid = Validate(file);
  ASSERT_EQ(valid.exitCode, 0) << valid.out << valid.err;

  WriteProfileString("URL", "Xmltv", file.string());
  ASSERT_EQ(Run("13Xmltv,", Noon(2011, 3, 9)), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay day = Page("13Xmltv", 20110309);
  ASSERT_EQ(day.channels.size(), 2u);
  EXPECT_EQ(day.channels[0].name, "第一放送");
  EXPECT_EQ(day.channels[1].name, "Channel Two");
  ASSERT_EQ(day.programmes.size(), 2u);
  EXPECT_EQ(day.programmes[0].title, "朝の番組");
  EXPECT_EQ(day.programmes[0].startMinute, 6 * 60) << "21:00 UTC is 6:00 in Japan";
  EXPECT_EQ(day.programmes[0].genre, 0);
  EXPECT_TRUE(day.programmes[0].isNew);
  EXPECT_EQ(day.programmes[1].title, "Night Movie");
  EXPECT_EQ(day.programmes[1].startMinute, 24 * 60) << "10:00 at -0500 is midnight in Japan";
  EXPECT_EQ(day.programmes[1].stopMinute, 24 * 60 + 30);
  EXPECT_EQ(day.programmes[1].genre, 6);
  EXPECT_EQ(day.programmes[1].description, "Part 2");

  // Only the configured channel for a big file that feeds one entry.
  WriteProfileString("Xmltv", "Channels", "two.example.jp,");
  ASSERT_EQ(Run("13Xmltv,", Noon(2011, 3, 9)), 0) << text::Cp932ToUtf8(param_.failure);
  const exports::ListingDay filtered = Page("13Xmltv", 20110309);
  ASSERT_EQ(filtered.channels.size(), 1u);
  EXPECT_EQ(filtered.channels[0].name, "Channel Two");
}

TEST_F(XmltvSourceTest, TheDemosFileIsValidXmltvWithTheStandInServersProgrammes) {
  const fs::path file = data_ / "demo.xml";
  const int64_t day = Noon(2011, 3, 9);
  test::WriteAll(file, demo::StandInXmltv(day));
  const test::ProcessResult valid = Validate(file);
  EXPECT_EQ(valid.exitCode, 0) << valid.out << valid.err;
  SourceSchedule schedule;
  std::string error;
  ASSERT_TRUE(ReadXmltvFile(file, {}, &schedule, &error)) << error;
  const QJsonArray served = QJsonDocument::fromJson(QByteArray::fromStdString(demo::StandInProgramsJson(day, 0))).array();
  ASSERT_EQ(schedule.programmes.size(), static_cast<size_t>(served.size()));
  EXPECT_EQ(schedule.programmes.front().start, served.first().toObject().value("startAt").toInteger() / 1000);
}

TEST_F(XmltvSourceTest, BadFilesFailWithTheirReasonAndKeepThePage) {
  const fs::path file = data_ / "guide.xml";
  const std::string good = R"(<tv><channel id="a"><display-name>A</display-name></channel>
<programme start="20110309060000 +0900" stop="20110309070000 +0900" channel="a"><title>朝</title></programme></tv>)";
  test::WriteAll(file, good);
  WriteProfileString("URL", "Xmltv", file.string());
  ASSERT_EQ(Run("13Xmltv,", Noon(2011, 3, 9)), 0) << text::Cp932ToUtf8(param_.failure);
  const std::string page = test::ReadAll(DataPage("2011030913Xmltv"));
  ASSERT_FALSE(page.empty());

  struct Case {
    const char* what;
    std::string content;  // empty: no file at all
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"not well-formed", "<tv><channel id=\"a\">", "XML として正しくありません"},
      {"no channels", "<tv></tv>", "チャンネル（<channel>）がありません"},
      {"only unknown channels",
       "<tv><channel id=\"a\"/><programme start=\"20110309060000\" stop=\"20110309070000\" channel=\"z\">"
       "<title>x</title></programme></tv>",
       "番組が一つもありません"},
      {"missing", "", "見つかりません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(file);
    if (!c.content.empty()) test::WriteAll(file, c.content);
    EXPECT_EQ(Run("13Xmltv,", Noon(2011, 3, 9)), 1);
    const std::string failure = text::Cp932ToUtf8(param_.failure);
    EXPECT_NE(failure.find("【XMLTV】"), std::string::npos) << failure;
    EXPECT_NE(failure.find(c.reason), std::string::npos) << failure;
    EXPECT_EQ(test::ReadAll(DataPage("2011030913Xmltv")), page);
  }
  WriteProfileString("URL", "Xmltv", data_.path().string());
  EXPECT_EQ(Run("13Xmltv,", Noon(2011, 3, 9)), 1);
  EXPECT_NE(text::Cp932ToUtf8(param_.failure).find("フォルダです"), std::string::npos);
}

}  // namespace
}  // namespace kanro::sources
