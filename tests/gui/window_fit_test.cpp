// The main window as a first start meets it on a common screen (1280×800,
// offscreen): a size taken from the screen with every day of the date bar on
// it, a task pane that a saved layout cannot leave squeezed, and a listing
// whose iEPG links lie inside their cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QScreen>
#include <QSignalSpy>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "frame/command_table.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/main_frame.h"
#include "gui/gui_waits.h"
#include "support/gui_app.h"
#include "support/temp_dir.h"
#include "view/ui/kanro_view.h"

namespace {

namespace fs = std::filesystem;
using namespace kanro::frame;
using kanro::test::TempDir;

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

class WindowFitTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // The offscreen platform's own screen is 800×600; this one is the size
    // of a common laptop screen. Set before the application exists.
    static TempDir config("kanro-screen");
    const fs::path file = config / "screen.json";
    std::ofstream(file) << "{\"screens\": [{\"name\": \"main\", \"x\": 0, \"y\": 0, \"width\": " << kScreenWidth
                        << ", \"height\": " << kScreenHeight << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, "
                        << "\"dpr\": 1}]}";
    const std::string platform = "offscreen:configfile=" + file.string();
    setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    kanro::test::GuiApplication();
  }

  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    ASSERT_TRUE(kanro::test::UseDataFolder(data_.path()));
    WriteProfileInt("Download", "WaitSec", 0);
    WriteProfileInt("Window", "MaxRank", 0);
    WriteProfileInt("Download", "CheckVersion", 0);
  }
  void TearDown() override { frame_.reset(); }

  CMainFrame& Open() {
    frame_ = std::make_unique<CMainFrame>(MainFrameOptions{});
    frame_->show();
    QApplication::processEvents();
    return *frame_;
  }

  TempDir data_{"kanro-fit-data"};
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(WindowFitTest, FirstStartTakesItsSizeFromTheScreenAndShowsEveryDayOfTheDateBar) {
  ASSERT_EQ(QApplication::primaryScreen()->availableGeometry().width(), kScreenWidth);
  CMainFrame& frame = Open();
  EXPECT_GE(frame.width(), kScreenWidth * 4 / 5);
  EXPECT_LE(frame.frameGeometry().width(), kScreenWidth);
  EXPECT_GE(frame.height(), kScreenHeight * 4 / 5 - 40);
  EXPECT_LE(frame.frameGeometry().height(), kScreenHeight);

  QToolBar* bar = frame.ToolBar(ID_DATE_BAR);
  int shown = 0;
  for (unsigned id : FindToolBar(ID_DATE_BAR)->buttons) {
    if (id == 0 || !frame.ToolBarEntry(ID_DATE_BAR, id)->isVisible()) continue;
    QWidget* button = bar->widgetForAction(frame.ToolBarEntry(ID_DATE_BAR, id));
    ASSERT_NE(button, nullptr) << id;
    // Inside the bar, not moved into its overflow menu.
    EXPECT_TRUE(button->isVisible()) << id;
    EXPECT_EQ(button->parentWidget(), bar) << id;
    EXPECT_TRUE(bar->rect().contains(button->geometry())) << id;
    ++shown;
  }
  EXPECT_EQ(shown, 14);
  for (auto* extension : bar->findChildren<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
    EXPECT_FALSE(extension->isVisible());
}

TEST_F(WindowFitTest, ATaskPaneSavedSqueezedComesBackWideEnoughToUse) {
  {
    CMainFrame& frame = Open();
    // The state a window of an earlier version could save: the pane's own
    // minimum lifted, the pane dragged to 70 px.
    frame.TaskPaneDock()->widget()->setMinimumWidth(0);
    frame.resizeDocks({frame.TaskPaneDock()}, {70}, Qt::Horizontal);
    ASSERT_TRUE(kanro::test::WaitUntil([&] { return frame.TaskPaneDock()->width() < 100; }));
    frame.close();
    frame_.reset();
  }
  CMainFrame& frame = Open();
  ASSERT_TRUE(kanro::test::WaitUntil([&] { return frame.TaskPaneDock()->widget()->width() >= 150; }, 3000))
      << frame.TaskPaneDock()->widget()->width();
  // And the user cannot squeeze it so again.
  frame.resizeDocks({frame.TaskPaneDock()}, {70}, Qt::Horizontal);
  QApplication::processEvents();
  EXPECT_GE(frame.TaskPaneDock()->widget()->width(), 150);
}

// With iEPG and G-code on, every iEPG link of a downloaded page lies inside
// its programme's cell at the default size, so it can be seen and clicked.
TEST_F(WindowFitTest, IepgLinksLieInsideTheirCellsAtTheDefaultSizeAndNarrower) {
  kanro::test::ListingServer server;
  server.SetRichPages(true);
  server.PointSettingsHere();
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);
  WriteProfileInt("Download", "GCode", 1);
  WriteProfileInt("Download", "iEPG", 1);
  CMainFrame& frame = Open();
  QSignalSpy shown(frame.View(), &kanro::view::CKanroView::dataPageShown);
  QSignalSpy busy(frame.Orchestrator(), &CDownloadOrchestrator::busyChanged);
  frame.Action(ID_DOWNLOAD)->trigger();
  while (frame.Orchestrator()->IsBusy()) ASSERT_TRUE(busy.wait(30000));
  if (shown.isEmpty()) {
    ASSERT_TRUE(shown.wait(20000));
  }

  // For each link: whether its cell (the programme's own td, whose overflow
  // is hidden) shows all of it.
  auto clippedLinks = [&frame] {
    return kanro::test::Eval(frame.View()->WebView()->page(), QStringLiteral(R"(
      (function() {
        const doc = window.frames['data'].document;
        const links = doc.querySelectorAll('a.iepg');
        let clipped = 0, first = '';
        for (const link of links) {
          const cell = link.closest('table.prog').closest('td');
          const l = link.getBoundingClientRect(), c = cell.getBoundingClientRect();
          if (l.width <= 0 || l.left < c.left || l.right > c.right + 0.5 || l.top < c.top || l.bottom > c.bottom + 0.5) {
            if (!clipped) first = cell.innerText.slice(0, 40) + ' link ' + l.left + '-' + l.right + ' cell ' + c.left + '-' + c.right;
            ++clipped;
          }
        }
        return [links.length, clipped, first];
      })())")).toList();
  };
  QVariantList answer = clippedLinks();
  ASSERT_EQ(answer.size(), 3);
  EXPECT_GT(answer[0].toInt(), 20);
  EXPECT_EQ(answer[1].toInt(), 0) << answer[2].toString().toStdString();
  // The window of earlier versions' first start.
  frame.resize(1000, 700);
  ASSERT_TRUE(kanro::test::WaitUntil([&] { return frame.View()->WebView()->width() < 900; }));
  answer = clippedLinks();
  ASSERT_EQ(answer.size(), 3);
  EXPECT_EQ(answer[1].toInt(), 0) << answer[2].toString().toStdString();
}

}  // namespace
