// Reading XMLTV: offsets and forms of the times, the language variants, the
// channel filter, the marks and categories, and the files that are refused.
#include <gtest/gtest.h>

#include <QBuffer>

#include "sources/xmltv_reader.h"
#include "support/temp_dir.h"

namespace kanro::sources {
namespace {

bool Read(const std::string& xml, SourceSchedule* s, std::string* error, const XmltvFilter& filter = {}) {
  QByteArray bytes = QByteArray::fromStdString(xml);
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  return ReadXmltv(buffer, filter, s, error);
}

TEST(XmltvReaderTest, TimesWithAnyOffsetOrNoneAreTheSameMoments) {
  const int64_t jst = 1299614400;  // 2011-03-09 05:00 +0900
  EXPECT_EQ(ParseXmltvTime("20110309050000 +0900"), jst);
  EXPECT_EQ(ParseXmltvTime("20110308200000 +0000"), jst);
  EXPECT_EQ(ParseXmltvTime("20110308200000"), jst) << "no offset is UTC";
  EXPECT_EQ(ParseXmltvTime("201103081500 -0500"), jst);
  EXPECT_EQ(ParseXmltvTime("20110309053000 +09:30"), jst);
  EXPECT_EQ(ParseXmltvTime("20110308200000Z"), jst);
  EXPECT_EQ(ParseXmltvTime("20110308"), jst - 20 * 3600);
  for (const char* bad : {"", "2011030", "20110230120000", "20110309250000", "20110309050000 JST", "20110309050000 +9",
                          "20110309050000 +2500", "x20110309"})
    EXPECT_FALSE(ParseXmltvTime(bad).has_value()) << bad;
}

TEST(XmltvReaderTest, JapaneseVariantsMarksCategoriesAndEpisodesAreRead) {
  SourceSchedule s;
  std::string error;
  ASSERT_TRUE(Read(R"(<?xml version="1.0" encoding="UTF-8"?>
<tv>
  <channel id="one.example"><display-name lang="en">One</display-name><display-name lang="ja">いち</display-name>
    <icon src="http://example/one.png"/></channel>
  <channel id="two.example"><display-name>Two</display-name></channel>
  <programme start="20110309050000 +0900" stop="20110309053000 +0900" channel="one.example">
    <title lang="en">Morning</title><title lang="ja">朝&amp;昼</title><sub-title lang="ja">副題</sub-title>
    <desc lang="en">English</desc><desc>無指定</desc>
    <category lang="en">Sports</category><category lang="ja">ドラマ</category>
    <episode-num system="xmltv_ns">0.4/12.</episode-num><new/>
  </programme>
  <programme start="20110308203000 +0000" channel="one.example"><title>無終了</title><previously-shown/>
    <category>アニメ</category></programme>
  <programme start="20110309060000 +0900" stop="20110309070000 +0900" channel="one.example"><title>次</title></programme>
  <programme start="20110309060000 +0900" stop="20110309070000 +0900" channel="nowhere"><title>宛先なし</title></programme>
  <programme start="20110309060000 +0900" stop="20110309050000 +0900" channel="two.example"><title>逆順</title></programme>
  <programme start="20110309060000" stop="20110309070000" channel="two.example"><title>制御&#x9;文字&#xA0;</title></programme>
</tv>)",
                   &s, &error))
      << error;
  ASSERT_EQ(s.channels.size(), 2u);
  EXPECT_EQ(s.channels[0].name, "いち");
  EXPECT_EQ(s.channels[1].name, "Two");
  ASSERT_EQ(s.programmes.size(), 4u);
  const SourceProgramme& first = s.programmes[0];
  EXPECT_EQ(first.title, "朝&昼");
  EXPECT_EQ(first.subtitle, "第5話 副題");
  EXPECT_EQ(first.description, "無指定");
  EXPECT_EQ(first.genre, 1) << "the first category that names a genre";
  EXPECT_TRUE(first.isNew);
  EXPECT_EQ(s.programmes[1].title, "無終了");
  EXPECT_EQ(s.programmes[1].stop, s.programmes[2].start) << "ends where the next starts";
  EXPECT_EQ(s.programmes[1].genre, 7);
  EXPECT_FALSE(s.programmes[1].isNew);
  EXPECT_EQ(s.programmes[3].title, "制御 文字\u00a0");
  EXPECT_EQ(s.rejected, 2);  // the unknown channel, the stop before the start
}

TEST(XmltvReaderTest, TheChannelFilterAndTheTimeWindowKeepOnlyWhatTheEntryNeeds) {
  const std::string xml = R"(<tv><channel id="a"/><channel id="b"/>
    <programme start="20110309050000 +0900" stop="20110309060000 +0900" channel="a"><title>A</title></programme>
    <programme start="20110309050000 +0900" stop="20110309060000 +0900" channel="b"><title>B</title></programme>
    <programme start="20120309050000 +0900" stop="20120309060000 +0900" channel="b"><title>翌年</title></programme></tv>)";
  XmltvFilter filter;
  filter.channels = {"b"};
  filter.until = 1299614400 + 86400;
  SourceSchedule s;
  std::string error;
  ASSERT_TRUE(Read(xml, &s, &error, filter)) << error;
  ASSERT_EQ(s.channels.size(), 1u);
  EXPECT_EQ(s.channels[0].name, "b") << "the id stands in for a missing name";
  ASSERT_EQ(s.programmes.size(), 1u);
  EXPECT_EQ(s.programmes[0].title, "B");
  filter.channels = {"c"};
  SourceSchedule none;
  EXPECT_FALSE(Read(xml, &none, &error, filter));
  EXPECT_NE(error.find("設定されたチャンネルがありません"), std::string::npos) << error;
}

TEST(XmltvReaderTest, FilesThatAreNotUsableXmltvAreRefusedWithTheirReason) {
  struct Case {
    const char* xml;
    const char* reason;
  };
  for (const Case& c : {Case{"<tv><channel id=\"a\"></tv>", "行目が XML として正しくありません"},
                        Case{"<tv><programme start=\"20110309050000\" channel=\"a\"><title>x&#1;</title></programme></tv>",
                             "XML として正しくありません"},
                        Case{"<html><body/></html>", "XMLTV ファイルではありません"},
                        Case{"", "XMLTV ファイルが空です"},
                        Case{"<tv></tv>", "チャンネル（<channel>）がありません"}}) {
    SourceSchedule s;
    std::string error;
    EXPECT_FALSE(Read(c.xml, &s, &error)) << c.xml;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.xml << ": " << error;
  }
  test::TempDir dir("kanro-xmltv");
  SourceSchedule s;
  std::string error;
  EXPECT_FALSE(ReadXmltvFile(dir / "missing.xml", {}, &s, &error));
  EXPECT_NE(error.find("見つかりません"), std::string::npos) << error;
  EXPECT_FALSE(ReadXmltvFile(dir.path(), {}, &s, &error));
  EXPECT_NE(error.find("フォルダです"), std::string::npos) << error;
}

TEST(XmltvReaderTest, WatchIdsFollowChannelAndStartOnly) {
  EXPECT_EQ(XmltvWatchId("a", 1299614400), XmltvWatchId("a", 1299614400));
  EXPECT_NE(XmltvWatchId("a", 1299614400), XmltvWatchId("b", 1299614400));
  EXPECT_NE(XmltvWatchId("a", 1299614400), XmltvWatchId("a", 1299614400 + 60));
  EXPECT_EQ(XmltvWatchId("a", 1299614400).find_first_not_of("0123456789"), std::string::npos);
  EXPECT_EQ(GenreOfCategory("News"), 0);
  EXPECT_EQ(GenreOfCategory("ニュース／報道"), 0);
  EXPECT_EQ(GenreOfCategory("特撮"), 7);
  EXPECT_EQ(GenreOfCategory("Movie"), 6);
  EXPECT_EQ(GenreOfCategory("料理"), -1);
}

}  // namespace
}  // namespace kanro::sources
