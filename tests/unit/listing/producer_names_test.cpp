// What a producer derives from its type, prefecture and day: file names, the
// status text, and the page address with its placeholders filled in.
#include <gtest/gtest.h>

#include "app/clock.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "listing/html_producer_factory.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

class ProducerNamesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    app::SetDataDir(dir_.path());
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  CHtmlProducer& At(const char* key, int prefecture, int year, int month, int day) {
    factory_ = std::make_unique<CHtmlProducerFactory>();
    CHtmlProducer* producer = factory_->Find(key);
    EXPECT_NE(producer, nullptr);
    producer->m_location.SetPrefecture(prefecture);
    producer->m_time = app::FromLocalDate(year, month, day, 12, 0, 0);
    return *producer;
  }

  test::TempDir dir_{"kanro-names"};
  std::unique_ptr<CHtmlProducerFactory> factory_;
};

TEST_F(ProducerNamesTest, StatusTextFileNamesAndPageNameOfOneDay) {
  CHtmlProducer& producer = At("GooTv", 1, 2011, 3, 9);
  EXPECT_EQ(text::Cp932ToUtf8(producer.StatusText()), "3/9（水）北海道【地上波】");
  EXPECT_EQ(producer.PageName(), "2011030901GooTv");
  EXPECT_EQ(producer.DataPagePath(), app::DataFolder() / "2011030901GooTv.htm");
  EXPECT_EQ(producer.HeadPagePath(), app::HeadFolder() / "01GooTv.htm");

  // Every weekday gets its own suffix; month and day are not zero-padded.
  const char* expected[] = {"1/2（日）", "1/3（月）", "1/4（火）", "1/5（水）", "1/6（木）", "1/7（金）", "1/8（土）"};
  for (int day = 2; day <= 8; ++day) {
    CHtmlProducer& radio = At("YahooFm", 47, 2011, 1, day);
    EXPECT_EQ(text::Cp932ToUtf8(radio.StatusText()), std::string(expected[day - 2]) + "沖縄県【FMラジオ】");
  }
}

TEST_F(ProducerNamesTest, DefaultAddressesUseTheSiteHostsAndFillEveryPlaceholder) {
  EXPECT_EQ(At("GooTv", 13, 2011, 3, 9).PageUrl(),
            "http://tv.goo.ne.jp/contents/epg/013/VHF_1/20110309_0024/index.html");
  EXPECT_EQ(At("GooBsDisital", 8, 2011, 12, 24).PageUrl(),
            "http://tv.goo.ne.jp/contents/epg/008/BSdigital_1/20111224_0024/index.html");
  EXPECT_EQ(At("GooUhfBs", 8, 2011, 3, 9).PageUrl(),
            "http://tv.goo.ne.jp/contents/epg/008/UHF-BSanalog_1/20110309_0024/index.html");
  EXPECT_EQ(At("YahooAm", 13, 2011, 3, 9).PageUrl(),
            "http://tv.yahoo.co.jp/listings/?&type=normal&a=28&s=1&t=AM&d=20110309&st=5&va=24&vb=1&vc=0&vd=0&ve=1");
  EXPECT_EQ(At("YahooFm", 41, 2011, 3, 9).PageUrl(),
            "http://tv.yahoo.co.jp/listings/?&type=normal&a=61&s=1&t=FM&d=20110309&st=5&va=24&vb=1&vc=0&vd=0&ve=1");
}

TEST_F(ProducerNamesTest, AnAddressSettingChangesOnlyItsOwnType) {
  WriteProfileString("URL", "GooUhfBs", "http://127.0.0.1:1/%D/%GooLocation-%YahooLocation/%D%GooLocation");
  EXPECT_EQ(At("GooUhfBs", 13, 2011, 3, 9).PageUrl(), "http://127.0.0.1:1/20110309/013-28/20110309013");
  EXPECT_EQ(At("GooTv", 13, 2011, 3, 9).PageUrl(),
            "http://tv.goo.ne.jp/contents/epg/013/VHF_1/20110309_0024/index.html");
  EXPECT_EQ(At("GooBsDisital", 13, 2011, 3, 9).PageUrl(),
            "http://tv.goo.ne.jp/contents/epg/013/BSdigital_1/20110309_0024/index.html");
}

TEST_F(ProducerNamesTest, PrefectureOutsideTheTableKeepsItsNumberInNamesAndGooCode) {
  CHtmlProducer& producer = At("GooTv", 0, 2011, 3, 9);
  EXPECT_EQ(producer.PageName(), "2011030900GooTv");
  EXPECT_EQ(producer.HeadPagePath().filename(), "00GooTv.htm");
  EXPECT_EQ(text::Cp932ToUtf8(producer.StatusText()), "3/9（水）東京都【地上波】");
  EXPECT_EQ(producer.PageUrl(), "http://tv.goo.ne.jp/contents/epg/000/VHF_1/20110309_0024/index.html");
}

TEST_F(ProducerNamesTest, ExpectedSizeAndKeepFreshComeFromTheSettings) {
  CHtmlProducer& producer = At("YahooAm", 8, 2011, 3, 9);
  EXPECT_EQ(producer.GetExpectedSize(), 200000);
  EXPECT_TRUE(producer.m_bKeepFresh);
  WriteProfileInt("FileSize", "YahooAm", 123456);
  WriteProfileInt("Download", "KeepFresh", 0);
  CHtmlProducer& again = At("YahooAm", 8, 2011, 3, 9);
  EXPECT_EQ(again.GetExpectedSize(), 123456);
  EXPECT_FALSE(again.m_bKeepFresh);
}

}  // namespace
}  // namespace kanro::listing
