// The page composer: page skeletons, which lines are kept, and how a new page
// replaces the old one.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/paths.h"
#include "support/expected_pages.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "test_creater.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

namespace fs = std::filesystem;

using test::DataTop;
using test::kDataBottom;
using test::kHeadBottom;
using test::kHeadTop;

class HtmlCreaterTest : public testing::Test {
 protected:
  void SetUp() override { app::SetDataDir(dir_.path()); }
  // Files in the folder, so tests can see that no temporary file is left.
  static size_t FileCount(const fs::path& folder) {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) n += entry.is_regular_file() ? 1 : 0;
    return n;
  }
  test::TempDir dir_;
  test::RecordingNotifier notifier_;
  const fs::path downloaded_ = dir_ / "tv1234.tmp";
};

const char kPage[] =
    "-outside\n"
    "first \t line\r\n"
    "\n"
    "second\n"
    "-outside again\n"
    "END  marker\n"
    "after end";

TEST_F(HtmlCreaterTest, HeaderPageKeepsListingLinesUpToTheBodyAndEndsWithoutLineEnd) {
  test::WriteAll(downloaded_, kPage);
  TestCreater creater;
  ASSERT_TRUE(creater.CreateHead(downloaded_, dir_ / "08GooTv.htm"));
  EXPECT_EQ(test::ReadAll(dir_ / "08GooTv.htm"), kHeadTop + "first line\r\nsecond\r\n" + kHeadBottom);
  // Every non-empty line was shown to IsTarget, also after the body started.
  EXPECT_EQ(creater.seen, (std::vector<std::string>{"-outside", "first \t line", "second", "-outside again",
                                                    "END  marker", "after end"}));
}

TEST_F(HtmlCreaterTest, DataPageOpensTheBodyAtTheHeadEndLine) {
  test::WriteAll(downloaded_, kPage);
  const std::string title = text::Utf8ToCp932("3/9（水）北海道【地上波】");
  TestCreater creater;
  ASSERT_TRUE(creater.CreateData(downloaded_, dir_ / "page.htm", title));
  EXPECT_EQ(test::ReadAll(dir_ / "page.htm"), DataTop(title) +
                                                  "first line\r\nsecond\r\n"
                                                  "</thead>\r\n<tbody>\r\n"
                                                  "END marker\r\nafter end\r\n" +
                                                  kDataBottom);
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HtmlCreaterTest, PagesWithoutHeadEndOrWithMixedLineEnds) {
  // A lone CR ends a line as LF and CR LF do; "\r\r\n" is a line and an empty one.
  test::WriteAll(downloaded_, "a\r\nb\nc\rd\r\r\n\r\n  \n\re");
  TestCreater creater;
  ASSERT_TRUE(creater.CreateData(downloaded_, dir_ / "page.htm", "t"));
  EXPECT_EQ(test::ReadAll(dir_ / "page.htm"), DataTop("t") + "a\r\nb\r\nc\r\nd\r\n \r\ne\r\n" + kDataBottom);
  ASSERT_TRUE(creater.CreateHead(downloaded_, dir_ / "head.htm"));
  EXPECT_EQ(test::ReadAll(dir_ / "head.htm"), kHeadTop + "a\r\nb\r\nc\r\nd\r\n \r\ne\r\n" + kHeadBottom);
}

TEST_F(HtmlCreaterTest, WatchLinksOnlyInDataPagesAndNumberedPerPage) {
  test::WriteAll(downloaded_,
                 "<a placeholder=\"TIME=5:00&TITLE=A  Bend_of_placeholder\">"
                 "<a placeholder=\"TIME=6:00&TITLE=Cend_of_placeholder\">\n");
  TestCreater creater;
  ASSERT_TRUE(creater.CreateData(downloaded_, dir_ / "1.htm", "t"));
  ASSERT_TRUE(creater.CreateData(downloaded_, dir_ / "2.htm", "t"));
  const std::string expected = DataTop("t") +
                               "<a href=\"prp://watch?ID=0000&TIME=5%3A00&TITLE=A+B\">"
                               "<a href=\"prp://watch?ID=0001&TIME=6%3A00&TITLE=C\">\r\n" +
                               kDataBottom;
  EXPECT_EQ(test::ReadAll(dir_ / "1.htm"), expected);
  EXPECT_EQ(test::ReadAll(dir_ / "2.htm"), expected);
  ASSERT_TRUE(creater.CreateHead(downloaded_, dir_ / "head.htm"));
  EXPECT_EQ(test::ReadAll(dir_ / "head.htm"),
            kHeadTop +
                "<a placeholder=\"TIME=5:00&TITLE=A Bend_of_placeholder\">"
                "<a placeholder=\"TIME=6:00&TITLE=Cend_of_placeholder\">\r\n" +
                kHeadBottom);
}

TEST_F(HtmlCreaterTest, PageWithoutListingLinesKeepsTheOldDataPage) {
  const fs::path page = dir_ / "2011030908GooTv.htm";
  test::WriteAll(page, "good old page");
  TestCreater creater;
  for (const std::string body : {"", "-404 Not Found\n-<html></html>\n", "\n\n"}) {
    test::WriteAll(downloaded_, body);
    EXPECT_FALSE(creater.CreateData(downloaded_, page, "t"));
    EXPECT_EQ(test::ReadAll(page), "good old page");
  }
  EXPECT_EQ(FileCount(dir_.path()), 2u);  // the page and the download, nothing left over
  // Without an old page there is simply no page.
  EXPECT_FALSE(creater.CreateData(downloaded_, dir_ / "new.htm", "t"));
  EXPECT_FALSE(fs::exists(dir_ / "new.htm"));
  // Nor a header page: one without channels would never be written again.
  EXPECT_FALSE(creater.CreateHead(downloaded_, dir_ / "head.htm"));
  EXPECT_FALSE(fs::exists(dir_ / "head.htm"));
}

TEST_F(HtmlCreaterTest, UnreadableDownloadFailsWithAMessageAndKeepsOldPages) {
  test::WriteAll(dir_ / "head.htm", "old head");
  test::WriteAll(dir_ / "data.htm", "old data");
  TestCreater creater;
  EXPECT_FALSE(creater.CreateHead(dir_ / "missing", dir_ / "head.htm"));
  EXPECT_FALSE(creater.CreateData(dir_ / "missing", dir_ / "data.htm", "t"));
  EXPECT_EQ(test::ReadAll(dir_ / "head.htm"), "old head");
  EXPECT_EQ(test::ReadAll(dir_ / "data.htm"), "old data");
  EXPECT_EQ(notifier_.Warnings().size(), 2u);
  EXPECT_EQ(FileCount(dir_.path()), 2u);
}

TEST_F(HtmlCreaterTest, UnwritablePageFailsAfterItsRetriesWithoutLeftovers) {
  test::WriteAll(downloaded_, "line\n");
  // A folder in the page's place cannot be replaced by a file.
  fs::create_directories(dir_ / "blocked.htm" / "inside");
  TestCreater creater;
  EXPECT_FALSE(creater.CreateData(downloaded_, dir_ / "blocked.htm", "t"));
  EXPECT_EQ(notifier_.Warnings().size(), 1u);
  EXPECT_TRUE(fs::is_directory(dir_ / "blocked.htm" / "inside"));
  EXPECT_EQ(FileCount(dir_.path()), 1u);
  // A page in a folder that does not exist.
  EXPECT_FALSE(creater.CreateHead(downloaded_, dir_ / "no" / "head.htm"));
  EXPECT_EQ(notifier_.Warnings().size(), 2u);
}

}  // namespace
}  // namespace kanro::listing
