// The prefecture table: names, both site codes and the regions.
#include "sites/location.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "text/codepage.h"

namespace {

using kanro::sites::CLocation;

std::string Name(const CLocation& location) { return kanro::text::Cp932ToUtf8(location.m_strName); }

TEST(LocationTest, LooksUpNameAndBothCodes) {
  CLocation location;
  EXPECT_TRUE(location.m_strName.empty());
  location.SetPrefecture(8);
  EXPECT_EQ(Name(location), "東京都");
  EXPECT_EQ(location.m_strName, "\x93\x8c\x8b\x9e\x93\x73");  // CP932, not UTF-8
  EXPECT_EQ(location.m_strGooCode, "008");
  EXPECT_EQ(location.m_strYahooCode, "23");
  location.SetPrefecture(47);
  EXPECT_EQ(Name(location), "沖縄県");
  EXPECT_EQ(location.m_strGooCode, "047");
  EXPECT_EQ(location.m_strYahooCode, "62");
  location.SetPrefecture(41);
  EXPECT_EQ(Name(location), "佐賀県");
  EXPECT_EQ(location.m_strYahooCode, "61");
  EXPECT_EQ(location.m_nNumber, 41);
}

TEST(LocationTest, NumbersOutsideTheTableFallBackToTokyoButKeepTheirGooCode) {
  CLocation location;
  for (int number : {0, 48, -1, 1000}) {
    location.SetPrefecture(number);
    EXPECT_EQ(location.m_nNumber, number);
    EXPECT_EQ(Name(location), "東京都");
    EXPECT_EQ(location.m_strYahooCode, "23");
  }
  location.SetPrefecture(0);
  EXPECT_EQ(location.m_strGooCode, "000");
  location.SetPrefecture(48);
  EXPECT_EQ(location.m_strGooCode, "048");
}

TEST(LocationTest, TableIsCompleteAndRegionsCoverEveryPrefectureOnce) {
  std::set<std::string_view> yahooCodes;
  for (size_t i = 0; i < kanro::sites::kPrefectures.size(); ++i) {
    EXPECT_EQ(kanro::sites::kPrefectures[i].number, static_cast<int>(i + 1));
    yahooCodes.insert(kanro::sites::kPrefectures[i].yahooCode);
  }
  EXPECT_EQ(yahooCodes.size(), 47u);

  int next = 1;
  for (const kanro::sites::Region& region : kanro::sites::kRegions) {
    EXPECT_EQ(region.first, next);
    EXPECT_GE(region.last, region.first);
    next = region.last + 1;
  }
  EXPECT_EQ(next, 48);
  EXPECT_EQ(kanro::text::Cp932ToUtf8(kanro::sites::RegionNameCp932(1)), "関東/甲信越");
  EXPECT_EQ(kanro::sites::RegionNameCp932(6), "");
}

}  // namespace
