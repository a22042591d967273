// The task pane: first alone with a stand-in window (its groups, clicks and
// keys, the search results, the keyword hits of a page, the ranking file),
// then inside the main window with a real WebEngine: the ranking from a stub
// of the maker's service, and a click on a search result opening that day.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QComboBox>
#include <QDockWidget>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/keyword_list.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "export/listing_page_reader.h"
#include "frame/ui/download_orchestrator.h"
#include "frame/ui/main_frame.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "gui/gui_waits.h"
#include "support/gui_app.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "taskpane/ui/task_pane.h"
#include "text/codepage.h"
#include "view/current_date.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"

namespace {

namespace fs = std::filesystem;
using kanro::taskpane::CTaskPane;
using kanro::test::Eval;
using kanro::test::TempDir;
using kanro::test::WriteAll;

std::string Sjis(const std::string& utf8) { return kanro::text::Utf8ToCp932(utf8); }

// Thursday 10 March 2011, 03:00 in Tokyo: the listing day is Wednesday the 9th.
int64_t March10At3() { return kanro::app::FromLocalDate(2011, 3, 10, 3, 0, 0); }

class StandInHost : public kanro::taskpane::TaskPaneHost {
 public:
  std::vector<unsigned> commands;
  std::vector<std::string> entries = {"08GooTv", "13YahooFm"};
  std::vector<std::pair<size_t, std::string>> shownDays;
  bool dayShows = true;
  std::vector<int> scrolls;

  void OnTaskCommand(unsigned id) override { commands.push_back(id); }
  const std::vector<std::string>& ListingEntries() const override { return entries; }
  bool ShowListingDay(size_t entryIndex, const std::string& date) override {
    shownDays.emplace_back(entryIndex, date);
    return dayShows;
  }
  void ScrollToCell(int hitNumber) override { scrolls.push_back(hitNumber); }
  void ShowProgramme(const std::string& entry, const std::string& date, const std::string& watchId) override {
    programmes.push_back(entry + "/" + date + "/" + watchId);
  }
  std::vector<std::string> programmes;
};

void Click(QTreeWidget* tree, QTreeWidgetItem* item) {
  ASSERT_NE(item, nullptr);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

QTreeWidgetItem* TaskWithText(CTaskPane& pane, int group, const QString& text) {
  QTreeWidgetItem* caption = pane.Group(group);
  for (int i = 0; caption && i < caption->childCount(); ++i)
    if (caption->child(i)->text(0) == text) return caption->child(i);
  return nullptr;
}

class TaskPaneTest : public testing::Test {
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
  }
  void TearDown() override {
    pane_.reset();
    kanro::app::SetClockForTesting({});
  }
  CTaskPane& Open(bool unattended = false) {
    pane_ = std::make_unique<CTaskPane>(host_, unattended);
    pane_->resize(260, 600);
    pane_->show();
    return *pane_;
  }
  void Keywords(const std::vector<std::string>& utf8) {
    std::vector<std::string> keywords;
    for (const std::string& keyword : utf8) keywords.push_back(Sjis(keyword));
    ASSERT_TRUE(kanro::app::SaveKeywords(keywords));
  }
  void DataPage(const std::string& name, const std::string& utf8) {
    WriteAll(kanro::app::DataFolder() / name, Sjis(utf8));
  }

  TempDir data_{"kanro-pane-data"};
  StandInHost host_;
  std::unique_ptr<CTaskPane> pane_;
};

TEST_F(TaskPaneTest, GroupsAndOperationTasksAreThereWithNamesAndActOnAClickOrAKey) {
  CTaskPane& pane = Open();
  ASSERT_EQ(pane.GroupCount(), 5);
  EXPECT_EQ(pane.Group(0)->text(0), QStringLiteral("操作"));
  EXPECT_TRUE(pane.Group(0)->font(0).bold());
  EXPECT_EQ(pane.Group(1)->text(0), QStringLiteral("視聴予定ランキング"));
  EXPECT_EQ(pane.Group(2)->text(0), QStringLiteral("キーワード"));
  EXPECT_EQ(pane.Group(CTaskPane::kOnAirGroup)->text(0), QStringLiteral("放送中"));
  EXPECT_EQ(pane.Group(CTaskPane::kAutoWatchGroup)->text(0), QStringLiteral("自動視聴予定"));
  EXPECT_EQ(pane.TaskTexts(0), (QStringList{"キーワード再検索", "キーワード編集", "視聴予定ランキング再読込"}));
  EXPECT_TRUE(pane.RankingTaskVisible());
  EXPECT_FALSE(pane.OperationTask(31011)->icon(0).isNull());

  // A screen reader meets the captions and task texts as names.
  QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(pane.Tree());
  ASSERT_NE(tree, nullptr);
  QStringList names;
  for (int i = 0; i < tree->childCount(); ++i) names << tree->child(i)->text(QAccessible::Name);
  EXPECT_TRUE(names.contains(QStringLiteral("操作")));
  EXPECT_TRUE(names.contains(QStringLiteral("キーワード編集")));

  Click(pane.Tree(), pane.OperationTask(31011));
  EXPECT_EQ(host_.commands, (std::vector<unsigned>{31011}));
  pane.Tree()->setFocus();
  pane.Tree()->setCurrentItem(pane.OperationTask(31012));
  QTest::keyClick(pane.Tree(), Qt::Key_Return);
  pane.Tree()->setCurrentItem(pane.OperationTask(31003));
  QTest::keyClick(pane.Tree(), Qt::Key_Space);
  EXPECT_EQ(host_.commands, (std::vector<unsigned>{31011, 31012, 31003}));

  // Captions collapse and expand, by click and by key.
  Click(pane.Tree(), pane.Group(0));
  EXPECT_FALSE(pane.Group(0)->isExpanded());
  pane.Tree()->setCurrentItem(pane.Group(0));
  QTest::keyClick(pane.Tree(), Qt::Key_Enter);
  EXPECT_TRUE(pane.Group(0)->isExpanded());
  EXPECT_EQ(host_.commands.size(), 3u);

  pane.HideRankingTask();
  EXPECT_FALSE(pane.RankingTaskVisible());
  EXPECT_TRUE(pane.OperationTask(31003)->isHidden());
  pane.ShowChainTasks();
  EXPECT_TRUE(pane.RankingTaskVisible());
}

TEST_F(TaskPaneTest, TheRankingTaskStartsHiddenWhenNoRankingComesOrTheStartDownloadBringsIt) {
  WriteProfileInt("Window", "MaxRank", 0);
  EXPECT_FALSE(Open().RankingTaskVisible());
  WriteProfileInt("Window", "MaxRank", 5);
  WriteProfileInt("Download", "LaunchAuto", 1);
  EXPECT_FALSE(Open().RankingTaskVisible());
  EXPECT_TRUE(Open(true).RankingTaskVisible());
}

TEST_F(TaskPaneTest, SearchResultsClickToTheirDayAndTheOpenedPageScrollsToTheKeyword) {
  Keywords({"野球", "映画(", "相撲", "A&B"});
  DataPage("2011030908GooTv.htm", "<td>野球中継</td>\r\n<td>A&B special</td>\r\n");
  DataPage("2011031013YahooFm.htm", "<td>プロ野球</td>\r\n");
  DataPage("2011030813YahooFm.htm", "<td>野球 (yesterday)</td>\r\n");
  CTaskPane& pane = Open();
  pane.ShowTask(31012, false);
  pane.SearchKeywords(host_.entries);
  EXPECT_TRUE(pane.TaskVisible(31012));
  ASSERT_EQ(pane.GroupCount(), CTaskPane::kFirstResultGroup + 3);
  EXPECT_EQ(pane.Group(CTaskPane::kFirstResultGroup)->text(0), QStringLiteral("野球"));
  EXPECT_EQ(pane.TaskTexts(CTaskPane::kFirstResultGroup), (QStringList{"03/09 東京都【地上波】", "03/10 栃木県【FMラジオ】"}));
  // The broken pattern is shown, marked, with the reason; "&" is no mnemonic.
  EXPECT_TRUE(pane.Group(CTaskPane::kFirstResultGroup + 1)->text(0).startsWith(QStringLiteral("映画(")));
  EXPECT_NE(pane.Group(CTaskPane::kFirstResultGroup + 1)->text(0), QStringLiteral("映画("));
  EXPECT_TRUE(pane.Group(CTaskPane::kFirstResultGroup + 1)->toolTip(0).contains(QStringLiteral("正規表現")));
  EXPECT_EQ(pane.Group(CTaskPane::kFirstResultGroup + 1)->childCount(), 0);
  EXPECT_EQ(pane.Group(CTaskPane::kFirstResultGroup + 2)->text(0), QStringLiteral("A&B"));

  Click(pane.Tree(), TaskWithText(pane, CTaskPane::kFirstResultGroup, QStringLiteral("03/10 栃木県【FMラジオ】")));
  ASSERT_EQ(host_.shownDays.size(), 1u);
  EXPECT_EQ(host_.shownDays[0], (std::pair<size_t, std::string>{1, "20110310"}));
  EXPECT_EQ(pane.PendingKeyword(), Sjis("野球"));

  // The hits of the opened page: listed as plain text, the first "野球" scrolled to.
  pane.ShowPageKeywords({{0, Sjis("A&B")}, {1, Sjis("野球")}, {2, Sjis("野球")}},
                        kanro::view::DataPagePath("20110310", "13YahooFm"));
  EXPECT_EQ(pane.TaskTexts(2), (QStringList{"A&B", "野球", "野球"}));
  EXPECT_EQ(host_.scrolls, (std::vector<int>{1}));
  EXPECT_TRUE(pane.PendingKeyword().empty());
  Click(pane.Tree(), TaskWithText(pane, 2, QStringLiteral("A&B")));
  EXPECT_EQ(host_.scrolls, (std::vector<int>{1, 0}));

  // Hits with their programme: listed as start, channel and title, the whole
  // cell (its lines kept, as plain text) in the tool tip.
  kanro::view::PageHitText news{Sjis("19:00 NHK総合 ニュース"), Sjis("19:00 ニュース\n<今日の出来事>")};
  pane.ShowPageKeywords({{0, Sjis("ニュース")}, {1, Sjis("野球")}},
                        kanro::view::DataPagePath("20110310", "13YahooFm"), {{0, news}});
  EXPECT_EQ(pane.TaskTexts(2), (QStringList{QStringLiteral("19:00 NHK総合 ニュース"), QStringLiteral("野球")}));
  EXPECT_EQ(pane.Group(2)->child(0)->toolTip(0),
            QStringLiteral("<qt>19:00 ニュース<br>&lt;今日の出来事&gt;</qt>"));

  // A day that could not be shown leaves nothing waiting; neither do the
  // hits of another page.
  host_.dayShows = false;
  Click(pane.Tree(), TaskWithText(pane, CTaskPane::kFirstResultGroup, QStringLiteral("03/09 東京都【地上波】")));
  EXPECT_TRUE(pane.PendingKeyword().empty());
  host_.dayShows = true;
  Click(pane.Tree(), TaskWithText(pane, CTaskPane::kFirstResultGroup, QStringLiteral("03/09 東京都【地上波】")));
  pane.ShowPageKeywords({{0, Sjis("野球")}}, kanro::view::DataPagePath("20110310", "13YahooFm"));
  EXPECT_TRUE(pane.PendingKeyword().empty());
  EXPECT_EQ(host_.scrolls.size(), 2u);

  // The listing was removed from the selector since the search: ignored.
  host_.entries = {"08GooTv"};
  const size_t shown = host_.shownDays.size();
  Click(pane.Tree(), TaskWithText(pane, CTaskPane::kFirstResultGroup, QStringLiteral("03/10 栃木県【FMラジオ】")));
  EXPECT_EQ(host_.shownDays.size(), shown);

  // A search without keywords removes the old results and shows 31012 again.
  Keywords({});
  pane.SearchKeywords(host_.entries);
  EXPECT_EQ(pane.GroupCount(), CTaskPane::kFirstResultGroup);
  EXPECT_TRUE(pane.TaskVisible(31012));
}

TEST_F(TaskPaneTest, ARankingFileReplacesTheLinesOnlyWhenItHasSome) {
  CTaskPane& pane = Open();
  const fs::path file = data_ / "rank.tmp";
  WriteAll(file, Sjis("1位 <b>ドラマ</b> & 映画\r\n2位 ニュース\r\n3位 野球\r\n"));
  pane.ShowRanking(file.string());
  EXPECT_FALSE(fs::exists(file));
  const QStringList lines = {"1位 <b>ドラマ</b> & 映画", "2位 ニュース", "3位 野球"};
  EXPECT_EQ(pane.TaskTexts(1), lines);
  EXPECT_TRUE(TaskWithText(pane, 1, lines[0])->toolTip(0).contains(QStringLiteral("&lt;b&gt;")));

  WriteAll(file, "\r\n");
  pane.ShowRanking(file.string());
  EXPECT_FALSE(fs::exists(file));
  pane.ShowRanking((data_ / "missing.tmp").string());
  EXPECT_EQ(pane.TaskTexts(1), lines);

  // A ranking line does nothing when clicked.
  Click(pane.Tree(), TaskWithText(pane, 1, lines[1]));
  EXPECT_TRUE(host_.commands.empty());
  EXPECT_TRUE(host_.scrolls.empty());
}

// ---- in the main window ---------------------------------------------------------

class PaneInWindowTest : public TaskPaneTest {
 protected:
  void SetUp() override {
    TaskPaneTest::SetUp();
    WriteProfileInt("Download", "CheckVersion", 0);
    WriteProfileInt("Window", "TvProgramTypeIndex", 0);
  }
  void TearDown() override {
    frame_.reset();
    unsetenv("KANRO_SERVICE_URL");
    TaskPaneTest::TearDown();
  }
  kanro::frame::CMainFrame& OpenWindow() {
    frame_ = std::make_unique<kanro::frame::CMainFrame>();
    frame_->show();
    return *frame_;
  }
  // Runs the command as the pane's task would and waits for the chain's end.
  void RunTask(unsigned id) {
    CTaskPane& pane = *frame_->TaskPane();
    QSignalSpy busy(frame_->Orchestrator(), &kanro::frame::CDownloadOrchestrator::busyChanged);
    Click(pane.Tree(), pane.OperationTask(id));
    ASSERT_TRUE(frame_->Orchestrator()->IsBusy());
    while (frame_->Orchestrator()->IsBusy()) ASSERT_TRUE(busy.wait(30000));
  }

  std::unique_ptr<kanro::frame::CMainFrame> frame_;
};

TEST_F(PaneInWindowTest, TheRankingFromTheServiceReplacesTheOldLinesAndAFailedRequestKeepsThem) {
  kanro::test::LocalHttpServer service;
  int answer = 0;
  std::string ranks;
  service.server().Post("/kanro/operate.php", [&](const httplib::Request& request, httplib::Response& response) {
    ranks = request.body;
    if (answer++ == 0) {
      response.set_content(Sjis("1位 ドラマ「春」\r\n2位 <i>ニュース</i>\r\n3位 野球 & 相撲\r\n"), "text/plain");
    } else {
      response.status = 500;
    }
  });
  service.Start();
  setenv("KANRO_SERVICE_URL", service.Url("/kanro/operate.php").c_str(), 1);
  WriteProfileInt("Window", "MaxRank", 3);
  kanro::frame::CMainFrame& frame = OpenWindow();
  CTaskPane& pane = *frame.TaskPane();
  const fs::path old = data_ / "old.tmp";
  WriteAll(old, "old 1\r\nold 2\r\n");
  pane.ShowRanking(old.string());
  ASSERT_EQ(pane.TaskTexts(1).size(), 2);

  RunTask(31003);
  EXPECT_EQ(ranks, "RANK=3");
  const QStringList lines = {"1位 ドラマ「春」", "2位 <i>ニュース</i>", "3位 野球 & 相撲"};
  EXPECT_EQ(pane.TaskTexts(1), lines);
  EXPECT_TRUE(pane.RankingTaskVisible());

  RunTask(31003);
  EXPECT_EQ(answer, 2);
  EXPECT_EQ(pane.TaskTexts(1), lines);
  EXPECT_TRUE(pane.RankingTaskVisible());
}

// Header and data page of a goo entry for one date, as a download writes them.
void WritePages(const std::string& date, const std::string& entry) {
  kanro::sites::SamplePageOptions options;
  options.year = std::stoi(date.substr(0, 4));
  options.month = std::stoi(date.substr(4, 2));
  options.day = std::stoi(date.substr(6, 2));
  const fs::path downloaded = kanro::app::DataDir() / "downloaded.html";
  ASSERT_TRUE(kanro::sites::WriteSamplePage(downloaded, options));
  kanro::sites::CGooHtmlCreater creater;
  ASSERT_TRUE(creater.CreateHead(downloaded, kanro::view::HeaderPagePath(entry)));
  ASSERT_TRUE(creater.CreateData(downloaded, kanro::view::DataPagePath(date, entry), Sjis("番組表")));
  fs::remove(downloaded);
}

// A title of the page that first shows up late in the day, so the page has
// to scroll to reach it; only titles that are plain words as patterns.
std::string LateTitle(const std::string& date) {
  kanro::sites::SamplePageOptions options;
  options.year = std::stoi(date.substr(0, 4));
  options.month = std::stoi(date.substr(4, 2));
  options.day = std::stoi(date.substr(6, 2));
  const std::vector<kanro::sites::SampleProgramme> schedule = kanro::sites::SampleSchedule(options);
  std::string best;
  int bestStart = -1;
  for (const auto& programme : schedule) {
    const std::string& title = programme.title;
    if (title.empty() || title.find_first_of("\\^$.|?*+()[]{}") != std::string::npos) continue;
    int first = INT_MAX;
    for (const auto& other : schedule)
      if (other.title.find(title) != std::string::npos) first = std::min(first, other.startMinute);
    if (first > bestStart) {
      bestStart = first;
      best = title;
    }
  }
  return best;
}

TEST_F(PaneInWindowTest, ClickingAResultOpensThatDayOfThatListingAndScrollsToTheKeyword) {
  WriteProfileString("Download", "Programs", "08GooTv,13GooTv,");
  WriteProfileInt("Window", "MaxRank", 0);
  for (const char* date : {"20110309", "20110310"}) {
    WritePages(date, "08GooTv");
    WritePages(date, "13GooTv");
  }
  const std::string title = LateTitle("20110310");
  ASSERT_FALSE(title.empty());
  Keywords({title});

  kanro::frame::CMainFrame& frame = OpenWindow();
  CTaskPane& pane = *frame.TaskPane();
  QSignalSpy shown(frame.View(), &kanro::view::CKanroView::dataPageShown);
  QSignalSpy hitsShown(&pane, &CTaskPane::pageKeywordsShown);
  frame.OnInitialUpdate();  // shows 9 March of 08GooTv and runs the search
  ASSERT_TRUE(shown.wait(20000));
  // The first page's hits come in before the click.
  ASSERT_TRUE(!hitsShown.isEmpty() || hitsShown.wait(20000));
  ASSERT_EQ(pane.GroupCount(), CTaskPane::kFirstResultGroup + 1);
  const QTreeWidgetItem* group = pane.Group(CTaskPane::kFirstResultGroup);
  QTreeWidgetItem* target = nullptr;
  for (int i = 0; i < group->childCount(); ++i)
    if (group->child(i)->text(0) == QStringLiteral("03/10 栃木県【地上波】")) target = group->child(i);
  ASSERT_NE(target, nullptr) << pane.TaskTexts(CTaskPane::kFirstResultGroup).join(QLatin1Char(',')).toStdString();

  // The day buttons show weeks without the result's day.
  frame.OnCommand(60121);
  frame.OnCommand(60121);
  for (const auto& [id, date] : frame.DateMap()) ASSERT_NE(date, "20110310");
  QSignalSpy selectorChanges(frame.ListingSelector(), &QComboBox::currentIndexChanged);
  shown.clear();
  hitsShown.clear();
  Click(pane.Tree(), target);
  const fs::path expected = kanro::view::DataPagePath("20110310", "13GooTv");
  EXPECT_EQ(frame.ListingSelector()->currentIndex(), 1);
  EXPECT_TRUE(selectorChanges.isEmpty());  // no page of its own from the selector
  EXPECT_EQ(kanro::view::CurrentDate(), "20110310");
  EXPECT_EQ(frame.View()->DocumentPath(), expected);
  EXPECT_EQ(frame.DateMap().at(60011), "20110310");  // this week's Thursday again
  EXPECT_TRUE(frame.Action(60011)->isChecked());
  ASSERT_TRUE(shown.wait(20000));
  // Only the clicked day loaded: nothing else used up the pending keyword.
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(fs::path(shown.front().at(0).toString().toStdString()), expected);

  while (hitsShown.isEmpty()) ASSERT_TRUE(hitsShown.wait(20000));
  EXPECT_TRUE(kanro::taskpane::SamePage(fs::path(hitsShown.back().at(0).toString().toStdString()), expected));
  EXPECT_FALSE(pane.TaskTexts(2).isEmpty());
  EXPECT_TRUE(pane.PendingKeyword().empty());
  const QVariant scrolled = Eval(frame.View()->WebView()->page(), QStringLiteral("window.frames['data'].scrollY"));
  EXPECT_GT(scrolled.toDouble(), 0.0);
}

TEST_F(TaskPaneTest, OnAirAndTheRulesMarksAreListedAndAClickGoesToTheProgramme) {
  // 03:00 on March 10: still the listing day of March 9.
  WritePages("20110309", "08GooTv");
  const auto read = kanro::exports::ReadListingPages(kanro::view::HeaderPagePath("08GooTv"),
                                                     kanro::view::DataPagePath("20110309", "08GooTv"), 20110309);
  ASSERT_TRUE(read.ok) << read.error;
  CTaskPane& pane = Open();
  pane.ShowOnAir("08GooTv");
  const QStringList onAir = pane.TaskTexts(CTaskPane::kOnAirGroup);
  ASSERT_FALSE(onAir.isEmpty());
  EXPECT_TRUE(onAir[0].startsWith(QString::fromStdString(read.day.channels[0].name))) << onAir[0].toStdString();
  Click(pane.Tree(), pane.Group(CTaskPane::kOnAirGroup)->child(0));
  ASSERT_EQ(host_.programmes.size(), 1u);
  EXPECT_EQ(host_.programmes[0].rfind("08GooTv/20110309/", 0), 0u) << host_.programmes[0];

  // Two overlapping marks, one of them set by a rule.
  const kanro::exports::ListingProgramme *a = nullptr, *b = nullptr;
  for (const auto& p : read.day.programmes)
    for (const auto& q : read.day.programmes)
      if (!a && p.channel == 0 && q.channel == 1 && !p.watchId.empty() && !q.watchId.empty() &&
          p.startMinute >= 1620 && p.startMinute < q.stopMinute && q.startMinute < p.stopMinute) {
        a = &p;
        b = &q;
      }
  ASSERT_TRUE(a && b);
  WriteProfileString("Watch", "20110309", a->watchId + "08GooTv," + b->watchId + "08GooTv,");
  WriteProfileString("AutoWatch", "20110309", a->watchId + "08GooTv,");
  pane.ShowAutoWatch();
  const QStringList lines = pane.TaskTexts(CTaskPane::kAutoWatchGroup);
  ASSERT_EQ(lines.size(), 2) << lines.join(QLatin1Char('|')).toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("重複: 03/09 "))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith(QString::fromStdString(a->title))) << lines[1].toStdString();
  const QTreeWidgetItem* marked = pane.Group(CTaskPane::kAutoWatchGroup)->child(1);
  EXPECT_TRUE(marked->toolTip(0).contains(QString::fromStdString(b->title).toHtmlEscaped()));
  Click(pane.Tree(), pane.Group(CTaskPane::kAutoWatchGroup)->child(1));
  EXPECT_EQ(host_.programmes.back(), "08GooTv/20110309/" + a->watchId);
}

}  // namespace
