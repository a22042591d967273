// What the window says of a picked day without a page: the download is
// offered only where a run would bring the page.
#include "view/missing_day.h"

#include <gtest/gtest.h>

namespace kanro::view {
namespace {

TEST(MissingDayTest, TheDownloadIsOfferedOnlyForTheDaysARunFetches) {
  const std::string label = "東京都[地上波]";
  // A run of 8 days from 30 December: up to 6 January, across the year.
  MissingDayNotice today = DescribeMissingDay("20261230", label, "20261230", 8);
  EXPECT_EQ(today.text, "12/30 の 東京都[地上波] の番組表はありません。");
  EXPECT_TRUE(today.offerDownload);
  EXPECT_TRUE(DescribeMissingDay("20270106", label, "20261230", 8).offerDownload);

  const MissingDayNotice beyond = DescribeMissingDay("20270107", label, "20261230", 8);
  EXPECT_FALSE(beyond.offerDownload);
  EXPECT_EQ(beyond.text, "1/7 の 東京都[地上波] の番組表はありません。ダウンロードできるのは今日から 8 日分です。");

  const MissingDayNotice past = DescribeMissingDay("20261229", label, "20261230", 8);
  EXPECT_FALSE(past.offerDownload);
  EXPECT_EQ(past.text, "12/29 の 東京都[地上波] の番組表はありません。過ぎた日の番組表はダウンロードできません。");

  // A date that is none: the listing is named, nothing offered.
  const MissingDayNotice broken = DescribeMissingDay("2026123", label, "20261230", 8);
  EXPECT_FALSE(broken.offerDownload);
  EXPECT_EQ(broken.text, "東京都[地上波] の番組表はありません。");
}

}  // namespace
}  // namespace kanro::view
