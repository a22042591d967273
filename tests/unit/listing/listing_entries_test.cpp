#include <gtest/gtest.h>

#include "app/settings_store.h"
#include "listing/listing_entries.h"

namespace kanro::listing {
namespace {

using Entries = std::vector<std::string>;

TEST(ListingEntries, UnknownAndEmptyItemsLeaveNoGap) {
  EXPECT_EQ(ListingEntries("08GooTv,13Bogus,13YahooFm,"), (Entries{"08GooTv", "13YahooFm"}));
  EXPECT_EQ(ListingEntries(",,08gootv,08GooTv ,\"27GooBsDisital\","), (Entries{"27GooBsDisital"}));
  EXPECT_EQ(ListingEntries(""), Entries{});
}

TEST(ListingEntries, AnEmptyStoredListMeansTokyoTerrestrial) {
  WriteProfileString("Download", "Programs", nullptr);
  EXPECT_EQ(ListingEntriesFromSettings(), (Entries{"08GooTv"}));
  WriteProfileString("Download", "Programs", "01YahooAm,");
  EXPECT_EQ(ListingEntriesFromSettings(), (Entries{"01YahooAm"}));
  WriteProfileString("Download", "Programs", nullptr);
}

}  // namespace
}  // namespace kanro::listing
