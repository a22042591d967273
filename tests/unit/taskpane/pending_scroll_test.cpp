#include "taskpane/pending_scroll.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace kanro::taskpane {
namespace {

namespace fs = std::filesystem;

const fs::path kPage = "/data/Data/2011030908GooTv.htm";
const fs::path kOtherPage = "/data/Data/2011031008GooTv.htm";

TEST(PendingScrollTest, ScrollsToTheFirstHitWhoseTextIsTheKeywordOfTheOpenedPageOnce) {
  PendingScroll pending;
  pending.Set("Drama", kPage);
  ASSERT_TRUE(pending.IsPending());
  const std::map<int, std::string> hits = {{0, "Dramatic"}, {1, "News"}, {2, "Drama"}, {3, "Drama"}};
  EXPECT_EQ(pending.Take(hits, kPage), 2);
  EXPECT_FALSE(pending.IsPending());
  // A reload of the same page gives the same hits again: no second scroll.
  EXPECT_EQ(pending.Take(hits, kPage), std::nullopt);
}

TEST(PendingScrollTest, IsUsedUpByThePagesHitsEvenWithoutAMatch) {
  // A pattern keyword: its matches differ from its text, the page opens unscrolled.
  PendingScroll pending;
  pending.Set("Dra.a", kPage);
  EXPECT_EQ(pending.Take({{0, "Drama"}}, kPage), std::nullopt);
  EXPECT_FALSE(pending.IsPending());
  pending.Set("Drama", kPage);
  EXPECT_EQ(pending.Take({}, kPage), std::nullopt);
  EXPECT_FALSE(pending.IsPending());
}

TEST(PendingScrollTest, IsDroppedWhenItsPageNeverLoads) {
  PendingScroll pending;
  // Hits of another page (the clicked day was missing, another page loaded).
  pending.Set("Drama", kPage);
  EXPECT_EQ(pending.Take({{0, "Drama"}}, kOtherPage), std::nullopt);
  EXPECT_FALSE(pending.IsPending());
  EXPECT_EQ(pending.Take({{0, "Drama"}}, kPage), std::nullopt);
  // Showing the day failed: nothing to wait for.
  pending.Set("Drama", fs::path());
  EXPECT_FALSE(pending.IsPending());
  pending.Set("Drama", kPage);
  pending.Drop();
  EXPECT_EQ(pending.Take({{0, "Drama"}}, kPage), std::nullopt);
}

TEST(PendingScrollTest, ThePageMayBeSpeltDifferently) {
  EXPECT_TRUE(SamePage("/data/Data/../Data/x.htm", "/data/Data/x.htm"));
  EXPECT_FALSE(SamePage("/data/Data/x.htm", "/data/Data/y.htm"));
  EXPECT_FALSE(SamePage("", ""));
  test::TempDir dir("kanro-pending");
  test::WriteAll(dir / "x.htm", "x");
  fs::create_directory_symlink(dir.path(), dir / "link");
  EXPECT_TRUE(SamePage(dir / "link" / "x.htm", dir / "x.htm"));
}

}  // namespace
}  // namespace kanro::taskpane
