// The main window in process, offscreen with a real WebEngine: its bars and
// their default states, the listing selector, the saved layout, the looks, a
// download from the menu against the local listing server, cancelling it with
// Ctrl+D, and the version check against a stub of the maker's service.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QPushButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QComboBox>
#include <QDockWidget>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWebEngineView>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "frame/ui/caption_bar.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/command_table.h"
#include "frame/ui/main_frame.h"
#include "listing/listing_entries.h"
#include "settings/ui/question_box.h"
#include "support/gui_app.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "taskpane/ui/task_pane.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"

namespace {

namespace fs = std::filesystem;
using namespace kanro::frame;
using kanro::test::TempDir;

// Thursday 10 March 2011, 03:00 in Tokyo: the listing day is Wednesday the 9th.
int64_t March10At3() { return kanro::app::FromLocalDate(2011, 3, 10, 3, 0, 0); }

std::vector<unsigned> ShownButtons(const CMainFrame& frame, unsigned barId) {
  std::vector<unsigned> shown;
  for (unsigned id : FindToolBar(barId)->buttons)
    if (id != 0 && frame.ToolBarEntry(barId, id)->isVisible()) shown.push_back(id);
  return shown;
}

// Runs the event loop until the condition holds (checked every 10 ms) or the
// time is up; the window keeps answering its worker meanwhile.
template <class Condition>
bool WaitUntil(Condition condition, int timeoutMs = 30000) {
  QEventLoop loop;
  QTimer poll;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
  if (condition()) return true;
  poll.start(10);
  deadline.start(timeoutMs);
  loop.exec();
  return condition();
}

// Clicks the first button of the next modal dialog or message box whose text
// matches, once it is open.
void AnswerNextModal(const QString& buttonText) {
  QTimer::singleShot(0, [buttonText] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      AnswerNextModal(buttonText);
      return;
    }
    for (QAbstractButton* button : modal->findChildren<QAbstractButton*>()) {
      if (button->text() == buttonText) {
        button->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << buttonText.toStdString();
    modal->close();
  });
}

class MainFrameTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
    kanro::test::GuiApplication();
  }

  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    ASSERT_TRUE(kanro::test::UseDataFolder(data_.path()));
    kanro::app::SetClockForTesting([] { return March10At3(); });
    // Courtesy waits off so runs take no longer than their pages.
    WriteProfileInt("Download", "WaitSec", 0);
    WriteProfileInt("Window", "MaxRank", 0);
    WriteProfileInt("Download", "CheckVersion", 0);
  }
  void TearDown() override {
    frame_.reset();
    kanro::app::SetClockForTesting({});
  }

  CMainFrame& Open(MainFrameOptions options = {}) {
    frame_ = std::make_unique<CMainFrame>(options);
    frame_->show();
    return *frame_;
  }

  // Destroys the window the way the user closes it.
  void CloseWindow() {
    frame_->close();
    frame_.reset();
  }

  TempDir data_{"kanro-frame-data"};
  std::unique_ptr<CMainFrame> frame_;
};

TEST_F(MainFrameTest, BarsComeUpInTheirDefaultState) {
  CMainFrame& frame = Open();
  QStringList menus;
  for (QAction* action : frame.menuBar()->actions()) menus << action->text();
  EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "日付(&D)", "時間(&T)", "表示(&V)", "ヘルプ(&H)"}));

  std::vector<unsigned> hours = ShownButtons(frame, ID_TIME_BAR);
  EXPECT_EQ(hours, (std::vector<unsigned>{59504, 59507, 59510, 59513, 59516, 59519, 59521, 59523, 59501}));
  std::vector<unsigned> days = ShownButtons(frame, ID_DATE_BAR);
  ASSERT_EQ(days.size(), 14u);
  EXPECT_EQ(days.front(), 60007u);
  EXPECT_TRUE(frame.ToolBar(ID_DOWNLOAD_BAR)->isHidden());
  EXPECT_FALSE(frame.ToolBar(ID_DATE_BAR)->isHidden());

  // Day buttons: text beside the image, labelled with this week's dates.
  QToolButton* wednesday = qobject_cast<QToolButton*>(frame.ToolBar(ID_DATE_BAR)->widgetForAction(
      frame.ToolBarEntry(ID_DATE_BAR, 60010)));
  ASSERT_NE(wednesday, nullptr);
  // Beside the image where the window has room for it; this small screen
  // has not, so the dates stand alone and no day falls into the overflow.
  EXPECT_EQ(wednesday->toolButtonStyle(), Qt::ToolButtonTextOnly);
  EXPECT_EQ(wednesday->text(), QStringLiteral("03/09(水)"));
  EXPECT_EQ(frame.DateMap().at(60000), "20110227");

  // One action per command: the menu's download item is the time bar's.
  QAction* download = frame.Action(ID_DOWNLOAD);
  EXPECT_EQ(download->shortcut(), QKeySequence(QStringLiteral("Ctrl+D")));
  auto* barButton = qobject_cast<QToolButton*>(
      frame.ToolBar(ID_DOWNLOAD_BAR)->widgetForAction(frame.ToolBarEntry(ID_DOWNLOAD_BAR, ID_DOWNLOAD)));
  ASSERT_NE(barButton, nullptr);
  EXPECT_EQ(barButton->defaultAction(), download);
  EXPECT_EQ(frame.DownloadSplitButton()->text(), QStringLiteral("ダウンロード"));
  QStringList drop;
  for (QAction* action : frame.DownloadSplitButton()->menu()->actions()) drop << action->toolTip();
  EXPECT_EQ(drop, (QStringList{"番組表の再ダウンロード", "ヘッダーと番組表の再ダウンロード"}));

  EXPECT_EQ(frame.StatusPane(3)->toolTip(), QStringLiteral("番組表取得日時"));
  EXPECT_FALSE(frame.CaptionBar()->NewVersionButton()->isEnabled());
  EXPECT_EQ(frame.CaptionBar()->ImageDescription(), QStringLiteral("3/9(水)の視聴予定"));
  EXPECT_EQ(frame.TaskPaneDock()->windowTitle(), QStringLiteral("作業ウィンドウ"));
  EXPECT_EQ(frame.dockWidgetArea(frame.TaskPaneDock()), Qt::LeftDockWidgetArea);
  EXPECT_TRUE(frame.Action(ID_CAPTION_BAR)->isChecked());
  EXPECT_TRUE(frame.Action(ID_TASK_PANE)->isChecked());

  // Everything a screen reader meets has a name.
  for (auto* button : frame.findChildren<QToolButton*>()) {
    // Qt's own overflow arrows and the clear buttons inside line edits.
    if (button->objectName().startsWith(QStringLiteral("qt_")) || qobject_cast<QLineEdit*>(button->parent())) continue;
    EXPECT_FALSE(button->accessibleName().isEmpty() && button->text().isEmpty()) << button->objectName().toStdString() << " in " << button->parent()->metaObject()->className() << " tip " << button->toolTip().toStdString();
  }
  EXPECT_FALSE(frame.ListingSelector()->accessibleName().isEmpty());
}

TEST_F(MainFrameTest, ShowAndHideCommandsToggleTheirBars) {
  CMainFrame& frame = Open();
  frame.OnCommand(ID_CAPTION_BAR);
  EXPECT_TRUE(frame.CaptionBar()->isHidden());
  EXPECT_FALSE(frame.Action(ID_CAPTION_BAR)->isChecked());
  frame.Action(ID_TASK_PANE)->trigger();
  EXPECT_TRUE(frame.TaskPaneDock()->isHidden());
  EXPECT_FALSE(frame.Action(ID_TASK_PANE)->isChecked());
  frame.Action(ID_DOWNLOAD_BAR)->trigger();
  EXPECT_FALSE(frame.ToolBar(ID_DOWNLOAD_BAR)->isHidden());
  EXPECT_TRUE(frame.Action(ID_DOWNLOAD_BAR)->isChecked());
  frame.OnCommand(ID_CAPTION_BAR);
  EXPECT_FALSE(frame.CaptionBar()->isHidden());
}

TEST_F(MainFrameTest, ListingSelectorSkipsUnknownTypesAndFallsBackToTheFirstItem) {
  WriteProfileString("Download", "Programs", "08GooTv,13Bogus,13YahooFm,");
  WriteProfileInt("Window", "TvProgramTypeIndex", 7);
  CMainFrame& frame = Open();
  ASSERT_EQ(frame.ListingSelector()->count(), 2);
  EXPECT_EQ(frame.Entries().at(1), "13YahooFm");
  EXPECT_EQ(frame.SelectorIndex(), 0);
  EXPECT_EQ(frame.GetSelectedEntry(), "08GooTv");
  EXPECT_TRUE(frame.ListingSelector()->itemText(1).endsWith(QStringLiteral("[FMラジオ]")))
      << frame.ListingSelector()->itemText(1).toStdString();

  frame.SelectIndex(1);
  CloseWindow();
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", -5), 1);

  // Nothing selected: the stored index stays.
  CMainFrame& again = Open();
  EXPECT_EQ(again.SelectorIndex(), 1);
  again.SelectIndex(-1);
  EXPECT_EQ(again.GetSelectedEntry(), "");
  CloseWindow();
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", -5), 1);
}

TEST_F(MainFrameTest, LayoutButtonsAndLookComeBackAtTheNextStart) {
  {
    CMainFrame& frame = Open();
    frame.OnCommand(ID_TIME_BAR);
    frame.OnCommand(ID_DOWNLOAD_BAR);
    frame.OnCommand(ID_CAPTION_BAR);
    frame.ToolBarEntry(ID_DATE_BAR, 60000)->setVisible(true);  // last week's Sunday, as Customize does
    frame.SetApplicationLook(216);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window).lightness() < 100, true);
    frame.resize(900, 600);
    CloseWindow();
  }
  EXPECT_EQ(GetProfileInt("Workspace", "ApplicationLook", 0), 216);
  CMainFrame& frame = Open();
  EXPECT_TRUE(frame.ToolBar(ID_TIME_BAR)->isHidden());
  EXPECT_FALSE(frame.ToolBar(ID_DOWNLOAD_BAR)->isHidden());
  EXPECT_TRUE(frame.CaptionBar()->isHidden());
  EXPECT_TRUE(frame.ToolBarEntry(ID_DATE_BAR, 60000)->isVisible());
  EXPECT_FALSE(frame.ToolBarEntry(ID_DATE_BAR, 60001)->isVisible());
  EXPECT_EQ(frame.size(), QSize(900, 600));
  EXPECT_EQ(frame.ApplicationLook(), 216);
  EXPECT_TRUE(frame.Action(216)->isChecked());

  frame.ResetToolBar(ID_DATE_BAR);
  EXPECT_FALSE(frame.ToolBarEntry(ID_DATE_BAR, 60000)->isVisible());
  frame_.reset();

  // A stored look outside the range gives the default look.
  WriteProfileInt("Workspace", "ApplicationLook", 7);
  EXPECT_EQ(Open().ApplicationLook(), 214);
}

TEST_F(MainFrameTest, SettingsStandInReloadsTheSelectorAndKeepsTheChosenEntry) {
  WriteProfileString("Download", "Programs", "08GooTv,13YahooFm,");
  CMainFrame& frame = Open();
  frame.SelectIndex(1);
  WriteProfileString("Download", "Programs", "01GooTv,13YahooFm,08GooTv,");
  AnswerNextModal(QStringLiteral("OK"));
  frame.OnSettings();
  EXPECT_EQ(frame.ListingSelector()->count(), 3);
  EXPECT_EQ(frame.GetSelectedEntry(), "13YahooFm");

  // The chosen entry was removed: the first item.
  WriteProfileString("Download", "Programs", "01GooTv,08GooTv,");
  AnswerNextModal(QStringLiteral("OK"));
  frame.OnSettings();
  EXPECT_EQ(frame.GetSelectedEntry(), "01GooTv");

  // Cancel changes nothing.
  WriteProfileString("Download", "Programs", "08GooTv,");
  AnswerNextModal(QStringLiteral("キャンセル"));
  frame.OnSettings();
  EXPECT_EQ(frame.ListingSelector()->count(), 2);
}

TEST_F(MainFrameTest, ResetRemovesSettingsAndProgramFilesAndClosesWithoutWritingAgain) {
  WriteProfileString("Download", "Programs", "08GooTv,");
  fs::create_directories(data_ / "Data");
  kanro::test::WriteAll(data_ / "Data" / "2011030908GooTv.htm", "<html></html>");
  CMainFrame& frame = Open();
  AnswerNextModal(QStringLiteral("いいえ(&N)"));
  frame.OnResetProgram();
  EXPECT_FALSE(frame.isVisible());
  frame_.reset();
  EXPECT_TRUE(kanro::app::ListProfileValues().empty());
  EXPECT_FALSE(fs::exists(data_ / "index.htm"));
  EXPECT_FALSE(fs::exists(data_ / "Kanro.css"));
  EXPECT_TRUE(fs::exists(data_ / "Data" / "2011030908GooTv.htm"));
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  void Set(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value) setenv(name, value, 1);
    else unsetenv(name);
  }
  ~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) setenv(it->first.c_str(), it->second->c_str(), 1);
      else unsetenv(it->first.c_str());
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// The text of the next message box once it is open; it is closed with OK.
QString TextOfNextMessageBox(int timeoutMs = 15000) {
  QString text;
  WaitUntil(
      [&text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return false;
        text = box->text();
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->click();
        else box->close();
        return true;
      },
      timeoutMs);
  return text;
}

// "CSS の編集" on a desktop with no application for .css files: the desktop's
// real opener fails after the command returned, and the window says so.
TEST_F(MainFrameTest, EditingTheStylesheetWithoutAnApplicationForItShowsWhyInABox) {
  TempDir empty("kanro-no-apps");
  ScopedEnvironment environment;
  // No associations, no desktop session, and a browser fallback that fails.
  for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
    environment.Set(name, empty.path().c_str());
  for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID"})
    environment.Set(name, nullptr);
  environment.Set("BROWSER", "false");
  CMainFrame& frame = Open();
  frame.Action(ID_EDIT_CSS)->trigger();
  const QString expected = QString::fromStdString((data_ / "Kanro.css").string()) + QStringLiteral(" が開けませんでした。");
  EXPECT_EQ(TextOfNextMessageBox(), expected);
}

// Qt's own parts speak Japanese too: the calendar's month names and weeks
// that start on Sunday like the day bar, the dock's buttons.
TEST_F(MainFrameTest, CalendarAndDockButtonsAreJapanese) {
  CMainFrame& frame = Open();
  QCalendarWidget* calendar = frame.DatePicker()->calendarWidget();
  ASSERT_NE(calendar, nullptr);
  EXPECT_EQ(calendar->firstDayOfWeek(), Qt::Sunday);
  calendar->setCurrentPage(2011, 3);
  auto* month = calendar->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
  ASSERT_NE(month, nullptr);
  EXPECT_EQ(month->text(), QStringLiteral("3月"));
  EXPECT_EQ(calendar->locale().dayName(7, QLocale::ShortFormat), QStringLiteral("日"));
  auto* close = frame.TaskPaneDock()->findChild<QAbstractButton*>(QStringLiteral("qt_dockwidget_closebutton"));
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->accessibleDescription(), QStringLiteral("ドックウィジェットを閉じる"));
}

class FrameDownloadTest : public MainFrameTest {
 protected:
  void SetUp() override {
    MainFrameTest::SetUp();
    kanro::app::SetClockForTesting({});
    server_.PointSettingsHere();
    WriteProfileString("Download", "Programs", "08GooTv,13YahooFm,");
    WriteProfileInt("Download", "Days", 2);
  }
  kanro::test::ListingServer server_;
};

TEST_F(FrameDownloadTest, DownloadFromTheMenuWritesPagesAndChecksTheCommandsWhileBusy) {
  WriteProfileInt("Window", "TvProgramTypeIndex", 0);
  CMainFrame& frame = Open();
  frame.OnInitialUpdate();  // no pages yet: the frameset shows nothing
  unsigned today = 0;
  for (const auto& [id, date] : frame.DateMap()) {
    if (date == kanro::app::DateText(kanro::app::GetListingTime())) today = id;
  }
  ASSERT_NE(today, 0u);
  EXPECT_FALSE(frame.Action(today)->isEnabled());
  QSignalSpy shown(frame.View(), &kanro::view::CKanroView::dataPageShown);
  QSignalSpy busy(frame.Orchestrator(), &CDownloadOrchestrator::busyChanged);
  frame.Action(ID_DOWNLOAD)->trigger();
  EXPECT_TRUE(frame.Orchestrator()->IsBusy());
  EXPECT_TRUE(frame.Action(ID_DOWNLOAD)->isChecked());
  EXPECT_TRUE(frame.Action(ID_REDOWNLOAD_HEADERS)->isChecked());
  while (frame.Orchestrator()->IsBusy()) ASSERT_TRUE(busy.wait(30000));
  EXPECT_FALSE(frame.Action(ID_DOWNLOAD)->isChecked());
  EXPECT_EQ(server_.PagesServed(), 4u);
  // The day buttons follow the written pages, and today's page of the
  // selected listing came on screen.
  EXPECT_TRUE(frame.Action(today)->isEnabled());
  if (shown.isEmpty()) {
    ASSERT_TRUE(shown.wait(20000));
  }
  EXPECT_TRUE(frame.Action(today)->isChecked());
  EXPECT_TRUE(shown.front().at(0).toString().endsWith(
      QString::fromStdString(kanro::app::DateText(kanro::app::GetListingTime()) + "08GooTv.htm")));
  EXPECT_EQ(frame.TaskPane()->SearchCount(), 2);  // the view's first update, then the chain
  EXPECT_TRUE(frame.StatusPane(1)->isHidden());  // the chain's end clears the status text
  EXPECT_FALSE(frame.ProgressPane()->isVisible());
  int files = 0;
  for (const auto& entry : fs::directory_iterator(data_ / "Data")) files += entry.path().extension() == ".htm";
  EXPECT_EQ(files, 4);
}

TEST_F(FrameDownloadTest, CtrlDDuringARunCancelsIt) {
  server_.SetChunkDelayMs(200);
  server_.SetPageBytes(200000);
  CMainFrame& frame = Open();
  QApplication::setActiveWindow(&frame);
  QSignalSpy busy(frame.Orchestrator(), &CDownloadOrchestrator::busyChanged);
  QTest::keyClick(&frame, Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(frame.Orchestrator()->IsBusy());
  ASSERT_TRUE(WaitUntil([this] { return !server_.Requests().empty(); }));
  QTest::keyClick(&frame, Qt::Key_D, Qt::ControlModifier);
  while (frame.Orchestrator()->IsBusy()) ASSERT_TRUE(busy.wait(30000));
  EXPECT_LT(server_.PagesServed(), 4u);
  EXPECT_FALSE(g_bCancel.load());
  EXPECT_EQ(frame.TaskPane()->SearchCount(), 0);  // a failed run starts no chain
  // The outcome stays on the status bar once the work has ended.
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
  EXPECT_TRUE(frame.StatusPane(1)->isVisible());
  EXPECT_TRUE(frame.StatusPane(1)->text().endsWith(QStringLiteral("中止しました"))) << frame.StatusPane(1)->text().toStdString();
}

// A day picked in the calendar, or a listing picked in the selector, that has
// no page: the window names the day and listing, and offers the download when
// a run would bring the page; "はい" starts it and the page comes on screen.
TEST_F(FrameDownloadTest, APickedDayWithoutAPageIsNamedAndTheDownloadOffered) {
  WriteProfileInt("Window", "TvProgramTypeIndex", 0);
  CMainFrame& frame = Open();
  frame.OnInitialUpdate();
  std::vector<QString> asked;
  QMessageBox::StandardButton answer = QMessageBox::No;
  kanro::settings::SetQuestionHandlerForTesting([&](const QString& text) {
    asked.push_back(text);
    return answer;
  });
  const QDate today = QDate::fromString(QString::fromStdString(kanro::app::DateText(kanro::app::GetListingTime())),
                                        QStringLiteral("yyyyMMdd"));
  QCalendarWidget* calendar = frame.DatePicker()->calendarWidget();

  // Typing or stepping through dates: the status bar only.
  frame.DatePicker()->setDate(today.addDays(1));
  EXPECT_TRUE(asked.empty());
  const QString tomorrow = QStringLiteral("%1/%2 の %3 の番組表はありません。")
                               .arg(today.addDays(1).month())
                               .arg(today.addDays(1).day())
                               .arg(QString::fromStdString(kanro::listing::EntryLabel("08GooTv")));
  EXPECT_EQ(frame.StatusPane(1)->text(), tomorrow);

  // A past day: said so, nothing offered.
  frame.DatePicker()->setDate(today.addDays(-3));
  Q_EMIT calendar->clicked(today.addDays(-3));
  ASSERT_TRUE(WaitUntil([&] { return !asked.empty(); }));
  EXPECT_TRUE(asked.back().contains(QStringLiteral("過ぎた日"))) << asked.back().toStdString();
  EXPECT_FALSE(frame.Orchestrator()->IsBusy());

  // The listing selector: the day of the chosen listing is offered; "いいえ" downloads nothing.
  frame.DatePicker()->setDate(today);
  asked.clear();
  frame.ListingSelector()->setCurrentIndex(1);  // as a click on the item does, then:
  Q_EMIT frame.ListingSelector()->activated(1);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_TRUE(asked.back().contains(QString::fromStdString(kanro::listing::EntryLabel("13YahooFm"))))
      << asked.back().toStdString();
  EXPECT_TRUE(asked.back().contains(QStringLiteral("ダウンロードしますか")));
  EXPECT_FALSE(frame.Orchestrator()->IsBusy());

  // Tomorrow picked in the calendar, "はい": the run brings its page.
  asked.clear();
  answer = QMessageBox::Yes;
  frame.DatePicker()->setDate(today.addDays(1));
  Q_EMIT calendar->clicked(today.addDays(1));
  ASSERT_TRUE(WaitUntil([&] { return !asked.empty(); }));
  EXPECT_TRUE(frame.Orchestrator()->IsBusy());
  kanro::settings::SetQuestionHandlerForTesting(nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !frame.Orchestrator()->IsBusy(); }));
  const std::string tomorrow8 = today.addDays(1).toString(QStringLiteral("yyyyMMdd")).toStdString();
  EXPECT_TRUE(fs::exists(kanro::view::DataPagePath(tomorrow8, "13YahooFm")));
}

// Screen readers hear the day and listing the caption names, and meet no
// second, internal top-level window of the web view.
TEST_F(MainFrameTest, TheAccessibleTreeNamesTheCaptionAndHoldsOnlyTheWindow) {
  CMainFrame& frame = Open();
  const QString caption = QStringLiteral("3/9（水）茨城県【地上波】 - Kanro");
  frame.SetWindowCaption(caption);
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&frame);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->text(QAccessible::Name), caption);

  // The web view's surfaces exist once it has shown something.
  QSignalSpy loaded(frame.View()->WebView(), &QWebEngineView::loadFinished);
  frame.View()->WebView()->setHtml(QStringLiteral("<p>x</p>"));
  ASSERT_TRUE(loaded.wait(20000));
  QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
  ASSERT_NE(application, nullptr);
  QStringList names;
  for (int i = 0; i < application->childCount(); ++i)
    if (QAccessibleInterface* child = application->child(i)) names << child->text(QAccessible::Name);
  EXPECT_EQ(names, QStringList{caption});
}

TEST_F(MainFrameTest, VersionCheckFindingANewerVersionEnablesTheCaptionBarButton) {
  kanro::test::LocalHttpServer service;
  service.server().Post("/kanro/operate.php", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("999\r\n<b>Kanro 9.99</b> が出ました\r\n", "text/plain");
  });
  service.Start();
  setenv("KANRO_SERVICE_URL", service.Url("/kanro/operate.php").c_str(), 1);
  CMainFrame& frame = Open();
  QSignalSpy shown(&frame, &CMainFrame::versionResultShown);
  QSignalSpy busy(frame.Orchestrator(), &CDownloadOrchestrator::busyChanged);
  ASSERT_TRUE(frame.Orchestrator()->StartVersionCheck(false));
  ASSERT_TRUE(shown.wait(30000));
  // The result is shown while the worker still winds down.
  while (frame.Orchestrator()->IsBusy()) ASSERT_TRUE(busy.wait(30000));
  unsetenv("KANRO_SERVICE_URL");
  QToolButton* button = frame.CaptionBar()->NewVersionButton();
  EXPECT_TRUE(button->isEnabled());
  EXPECT_TRUE(button->toolTip().contains(QStringLiteral("&lt;b&gt;Kanro 9.99&lt;/b&gt;"))) << button->toolTip().toStdString();
  EXPECT_FALSE(frame.Orchestrator()->UserVersionCheck());

  // The user's check while a worker runs is refused with a message.
  g_pNetBusy.store(&frame);
  AnswerNextModal(QStringLiteral("OK"));
  frame.OnCheckVersion();
  g_pNetBusy.store(nullptr);
  EXPECT_FALSE(frame.Orchestrator()->IsBusy());
}

}  // namespace
