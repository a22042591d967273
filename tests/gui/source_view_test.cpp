// A tuner entry's pages in the real view (WebEngine, offscreen): the view
// lays the composed data page out to the programmes the exports' page reader
// finds, a watch link stores the programme's own ID, and the mark is on the
// same programme again after a re-download.
#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/frameset_page.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "demo/demo_server.h"
#include "export/listing_page_reader.h"
#include "gui/gui_waits.h"
#include "gui/test_view_host.h"
#include "listing/download_thread.h"
#include "support/gui_app.h"
#include "support/temp_dir.h"
#include "view/current_date.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::Eval;
using kanro::test::SignalCounter;

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override { kanro::test::GuiApplication(); }
};
testing::Environment* const kQtEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);

class SourceViewTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    const fs::path root = temp_.path() / "kanro";
    fs::create_directories(root);
    kanro::app::SetDataDir(root);
    fs::create_directories(kanro::app::DataFolder());
    fs::create_directories(kanro::app::HeadFolder());
    ASSERT_TRUE(kanro::app::CreateIndex(kanro::app::IndexPath()));
    kanro::app::SetClockForTesting([] { return kanro::app::FromLocalDate(2011, 3, 9, 12, 0, 0); });
    std::string error;
    ASSERT_TRUE(demo_.Start(0, &error)) << error;
    WriteProfileString("URL", "Tuner", demo_.TunerUrl());
    WriteProfileString("Download", "Programs", "08TunerGr,");
    host_.days.SetEntry("08TunerGr");
  }
  void TearDown() override {
    view_.reset();
    kanro::app::SetClockForTesting({});
    kanro::app::DeleteAllProfileValues();
  }

  bool Download() {
    kanro::listing::DOWNLOADPARAM param;
    param.days = 1;
    param.start = kanro::app::GetListingTime();
    param.force = true;
    param.programmes = "08TunerGr,";
    return kanro::listing::DownloadThread(&param) == 0;
  }
  QVariant InData(const QString& script) {
    return Eval(view_->WebView()->page(),
                QStringLiteral("(function (doc) { %1 })(window.frames['data'].document)").arg(script));
  }

  kanro::test::TempDir temp_{"kanro-source-view"};
  kanro::demo::DemoServer demo_;
  kanro::test::TestViewHost host_;
  std::unique_ptr<kanro::view::CKanroView> view_;
};

TEST_F(SourceViewTest, TheViewShowsTheProgrammesTheReaderFindsAndAMarkStaysOnItsProgramme) {
  ASSERT_TRUE(Download());
  const kanro::exports::PageReadResult read = kanro::exports::ReadListingPages(
      kanro::view::HeaderPagePath("08TunerGr"), kanro::view::DataPagePath("20110309", "08TunerGr"), 20110309);
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_GT(read.day.programmes.size(), 50u);

  view_ = std::make_unique<kanro::view::CKanroView>(host_, host_.days);
  view_->resize(900, 700);
  view_->show();
  SignalCounter marked(view_.get(), &kanro::view::CKanroView::marksApplied);
  view_->OnInitialUpdate();
  ASSERT_TRUE(marked.wait(30000));

  // The first watch ID of every laid-out programme cell, in document order.
  const QStringList ids =
      InData(QStringLiteral("var out = [];"
                            "doc.querySelectorAll('td[class*=\"genre_\"]').forEach(function (td) {"
                            "  var a = td.querySelector('a[href^=\"prp://watch\"]');"
                            "  if (a) out.push(/ID=(\\d+)/.exec(a.getAttribute('href'))[1]);"
                            "});"
                            "return out;"))
          .toStringList();
  std::vector<std::string> shown;
  for (const QString& id : ids) shown.push_back(id.toStdString());
  std::vector<std::string> found;
  for (const auto& p : read.day.programmes) found.push_back(p.watchId);
  std::sort(shown.begin(), shown.end());
  std::sort(found.begin(), found.end());
  EXPECT_EQ(shown, found);

  // A scripted click on a programme's watch link marks it under its own ID.
  const std::string id = read.day.programmes[read.day.programmes.size() / 2].watchId;
  const QString selector = QStringLiteral("a[href^=\"prp://watch?ID=%1&\"]").arg(QString::fromStdString(id));
  SignalCounter remarked(view_.get(), &kanro::view::CKanroView::marksApplied);
  InData(QStringLiteral("doc.querySelector('%1').click(); return true;").arg(selector));
  ASSERT_TRUE(remarked.wait(15000));
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), id + "08TunerGr,");
  auto cellMarked = [&] {
    return InData(QStringLiteral("return doc.querySelector('%1').closest('td').className;").arg(selector))
        .toString()
        .split(QLatin1Char(' '))
        .contains(QStringLiteral("watch"));
  };
  EXPECT_TRUE(cellMarked());

  // A re-download writes the page anew; the view reloads it and marks the
  // same programme.
  SignalCounter again(view_.get(), &kanro::view::CKanroView::marksApplied);
  ASSERT_TRUE(Download());
  view_->Reload();
  ASSERT_TRUE(again.wait(15000));
  EXPECT_TRUE(cellMarked());
}

}  // namespace
