#include "view/page_locations.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/paths.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace kanro::view {
namespace {

namespace fs = std::filesystem;

FrameReport Report(bool top, const char* name, const QUrl& url) {
  FrameReport report;
  report.topFrame = top;
  report.name = QString::fromUtf8(name);
  report.url = url;
  return report;
}

// Folder names that fooled address tests made of substrings.
class PageLocationsTest : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    root_ = temp_.path() / fs::path(GetParam());
    fs::create_directories(root_);
    app::SetDataDir(root_);
  }
  test::TempDir temp_{"kanro-view-urls"};
  fs::path root_;
};

TEST_P(PageLocationsTest, FileUrlsRoundTripAndDecideWhichPageCompleted) {
  const fs::path data = DataPagePath("20110309", "08GooTv");
  const fs::path header = HeaderPagePath("08GooTv");
  EXPECT_EQ(data, app::DataFolder() / "2011030908GooTv.htm");
  EXPECT_EQ(header, app::HeadFolder() / "08GooTv.htm");

  const QUrl dataUrl = PageUrl(data);
  EXPECT_TRUE(dataUrl.isLocalFile());
  EXPECT_TRUE(dataUrl.fragment().isEmpty()) << dataUrl.toString().toStdString();
  EXPECT_EQ(LocalPathOf(dataUrl), data.lexically_normal());
  // What a page reports comes back fully encoded: it must name the same file.
  const QUrl reported(QString::fromUtf8(dataUrl.toEncoded()));
  EXPECT_EQ(LocalPathOf(reported), data.lexically_normal());

  EXPECT_EQ(ClassifyReport(Report(true, "", IndexUrl())), ReportedPage::Frameset);
  EXPECT_EQ(ClassifyReport(Report(false, "data", reported)), ReportedPage::DataPage);
  // The data page after an anchor jump is the same page.
  QUrl withHash = reported;
  withHash.setFragment(QStringLiteral("2"));
  EXPECT_EQ(ClassifyReport(Report(false, "data", withHash)), ReportedPage::DataPage);

  // The frames' first document is the frameset's own "#".
  QUrl indexHash = IndexUrl();
  indexHash.setFragment(QString());
  EXPECT_EQ(ClassifyReport(Report(false, "data", indexHash)), ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(false, "head", indexHash)), ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(false, "head", PageUrl(header))), ReportedPage::Other);
  // Only frame "data" holds data pages; the hidden frame and the top do not.
  EXPECT_EQ(ClassifyReport(Report(false, "iepg", reported)), ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(true, "", reported)), ReportedPage::Other);
  // The frameset in a frame is not the frameset loading.
  EXPECT_EQ(ClassifyReport(Report(false, "data", IndexUrl())), ReportedPage::Other);
  // A page of another folder that merely contains "Data" in its address.
  EXPECT_EQ(ClassifyReport(Report(false, "data", PageUrl(root_ / "index.htm"))), ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(false, "data", PageUrl(app::DataFolder() / "Data" / "x.htm"))), ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(false, "data", QUrl(QStringLiteral("http://example.com/Data/index.htm")))),
            ReportedPage::Other);
  EXPECT_EQ(ClassifyReport(Report(false, "data", QUrl(QStringLiteral("about:blank")))), ReportedPage::Other);
  // The hidden frame's remote answers are cleared away; its blank page is not.
  EXPECT_EQ(ClassifyReport(Report(false, "iepg", QUrl(QStringLiteral("http://127.0.0.1:1/kanro/operate.php?x=1")))),
            ReportedPage::HiddenFrameAnswer);
  EXPECT_EQ(ClassifyReport(Report(false, "iepg", QUrl(QStringLiteral("about:blank")))), ReportedPage::Other);
}

INSTANTIATE_TEST_SUITE_P(AwkwardFolders, PageLocationsTest,
                         testing::Values("plain", "My Data", "a#b", "x?y Data#2 index.htm",
                                         "番組表 データ", "100%25 done", "Data"));

TEST(PageUrlTest, SpecialCharactersArePercentEncoded) {
  const QUrl url = PageUrl("/tmp/a b#c/番組/Data/x.htm");
  const QString encoded = QString::fromUtf8(url.toEncoded());
  EXPECT_TRUE(encoded.startsWith(QStringLiteral("file:///tmp/a%20b%23c/"))) << encoded.toStdString();
  EXPECT_FALSE(encoded.contains(QStringLiteral("番")));
  EXPECT_FALSE(encoded.contains(QLatin1Char('#')));
}

}  // namespace
}  // namespace kanro::view
