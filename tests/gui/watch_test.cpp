// Watch marks, start alerts and link commands in a real WebEngine (offscreen)
// over hand-made pages in a temporary data folder: real clicks on the links,
// the demo's service stand-in and listing server on loopback, the desktop's
// opener replaced by a recorder.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/frameset_page.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "demo/demo_server.h"
#include "fixtures/listing_server.h"
#include "gui/gui_waits.h"
#include "gui/test_view_host.h"
#include "support/gui_app.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "view/alert_schedule.h"
#include "view/current_date.h"
#include "view/page_cells.h"
#include "view/page_locations.h"
#include "view/ui/alert_presenter.h"
#include "view/ui/desktop_opener.h"
#include "view/ui/iepg_handover.h"
#include "view/ui/kanro_view.h"
#include "view/ui/view_page.h"
#include "view/ui/watch_controller.h"
#include "view/view_host.h"


namespace {

using kanro::test::ClickElement;
using kanro::test::Eval;
using kanro::test::SignalCounter;
using kanro::test::WaitUntil;
using kanro::test::TestViewHost;

namespace fs = std::filesystem;
using kanro::view::CKanroView;

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override { kanro::test::GuiApplication(); }
};
testing::Environment* const kQtEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);


// One programme cell as the converter writes it: the watch link around the
// start time and the title, and an iEPG link.
std::string Cell(const std::string& id, const std::string& number, const std::string& time, const std::string& title,
                 const std::string& iepg) {
  return "<td id=\"" + id + "\" class=\"genre_01\"><a id=\"" + id + "w\" href=\"prp://watch?ID=" + number +
         "&amp;TIME=" + time + "&amp;TITLE=x\"><strong>" + time + "</strong> <strong>" + title +
         "</strong></a> <a id=\"" + id + "i\" class=\"iepg\" href=\"" + iepg + "\">iEPG</a></td>";
}

class WatchViewTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    WriteProfileInt("Window", "TvProgramTypeIndex", 0);
    const fs::path root = temp_.path() / "kanro";
    fs::create_directories(root);
    kanro::app::SetDataDir(root);
    fs::create_directories(kanro::app::DataFolder());
    fs::create_directories(kanro::app::HeadFolder());
    ASSERT_TRUE(kanro::app::CreateIndex(kanro::app::IndexPath()));
    // 18:57:30 on Wednesday 9 March 2011.
    SetClock(kanro::app::FromLocalDate(2011, 3, 9, 18, 57, 30));
    kanro::app::SetClockForTesting([this] { return clock_.load(); });
    kanro::view::SetDesktopOpenerForTesting([this](const QUrl& url) {
      opened_.push_back(url);
      return desktopTakes_;
    });
    std::string error;
    ASSERT_TRUE(service_.Start(0, &error)) << error;
    setenv("KANRO_SERVICE_URL", service_.ServiceUrl().c_str(), 1);
  }

  void TearDown() override {
    view_.reset();
    kanro::app::SetClockForTesting({});
    kanro::view::SetDesktopOpenerForTesting({});
    unsetenv("KANRO_SERVICE_URL");
  }

  void SetClock(int64_t now) { clock_ = now; }

  // The header page and a data page of 08GooTv for the date, in CP932.
  static void WritePage(const std::string& date, const std::string& cells) {
    const std::string head = "<html><head><meta charset=\"Windows-31J\"><title>head</title></head><body>h</body></html>";
    kanro::test::WriteAll(kanro::view::HeaderPagePath("08GooTv"), head);
    kanro::test::WriteAll(kanro::view::DataPagePath(date, "08GooTv"),
                          kanro::text::Utf8ToCp932("<html><head><meta charset=\"Windows-31J\"><title>番組表</title>"
                                                   "<style>a { font-size: 24px; }</style></head><body>"
                                                   "<table><tr>" + cells + "</tr></table>"
                                                   "<p><a id=\"web\" href=\"http://tv.example.jp/p/1\">web</a> "
                                                   "<a id=\"secure\" href=\"https://tv.example.jp/p/2\">secure</a> "
                                                   "<a id=\"script\" href=\"javascript:void(0)\">script</a></p>"
                                                   "<iframe name=\"iepg\" frameborder=\"0\" width=\"0\" height=\"0\">"
                                                   "</iframe></body></html>"));
  }

  void CreateView() {
    view_ = std::make_unique<CKanroView>(host_, host_.days);
    view_->resize(900, 700);
    view_->show();
  }
  bool StartUp() {
    if (!view_) CreateView();
    SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
    view_->OnInitialUpdate();
    return shown.wait(20000);
  }
  // Clicks the element and waits until the view has marked the page again.
  bool ClickAndWaitForMarks(const char* id) {
    SignalCounter marked(view_.get(), &CKanroView::marksApplied);
    return ClickElement(Web(), DataDocument(), QString::fromLatin1(id)) && marked.wait(15000);
  }

  QWebEngineView* Web() const { return view_->WebView(); }
  kanro::view::CWatchController* Controller() const {
    return view_->findChild<kanro::view::CWatchController*>();
  }
  static QString DataDocument() { return QStringLiteral("window.frames['data'].document"); }
  QString CellClass(const char* id) const {
    return Eval(Web()->page(), QStringLiteral("String(%1.getElementById('%2').className)")
                                   .arg(DataDocument(), QString::fromLatin1(id)))
        .toString();
  }
  QString DataUrl() const {
    return Eval(Web()->page(), QStringLiteral("String(window.frames['data'].location.href)")).toString();
  }

  std::atomic<int64_t> clock_{0};
  std::vector<QUrl> opened_;
  bool desktopTakes_ = true;  // whether an application takes what is opened
  kanro::test::TempDir temp_{"kanro-watch-gui"};
  kanro::demo::DemoServer service_;
  TestViewHost host_;
  std::unique_ptr<CKanroView> view_;
};

TEST(AlertPresenterTest, AlertsDueTogetherOpenOneBoxAfterTheOther) {
  QWidget window;
  window.resize(400, 300);
  window.show();
  kanro::view::AlertPresenter presenter(&window);
  std::vector<QString> shown;
  QObject::connect(&presenter, &kanro::view::AlertPresenter::shown, [&](const QString& m) { shown.push_back(m); });

  // A title from a page is text, not markup.
  const QString first = QStringLiteral("【<b>ニュース</b>】開始 1 分前になりました。");
  presenter.Show(first);
  presenter.Show(QStringLiteral("second"));
  QMessageBox* box = presenter.CurrentBox();
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(box->text(), first);
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  EXPECT_EQ(box->windowTitle(), QStringLiteral("お知らせ"));
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(presenter.Waiting(), 1u);
  EXPECT_EQ(shown, (std::vector<QString>{first}));

  // The second box only after the first was closed.
  QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  ASSERT_TRUE(WaitUntil([&] { return shown.size() == 2; }, 5000));
  ASSERT_NE(presenter.CurrentBox(), nullptr);
  EXPECT_NE(presenter.CurrentBox(), box);
  EXPECT_EQ(presenter.CurrentBox()->text(), QStringLiteral("second"));
  EXPECT_EQ(presenter.Waiting(), 0u);
  presenter.CurrentBox()->accept();
  ASSERT_TRUE(WaitUntil([&] { return presenter.CurrentBox() == nullptr; }, 5000));
  EXPECT_EQ(shown.size(), 2u);
}

TEST_F(WatchViewTest, OutsideLinksOpenInTheBrowserAndTheViewStays) {
  WritePage("20110309", Cell("p1", "0001", "19:00", "ニュース", "http://tv.example.jp/iepg.tvpi?id=1"));
  ASSERT_TRUE(StartUp());
  const QString before = DataUrl();

  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("web")));
  ASSERT_TRUE(WaitUntil([&] { return opened_.size() == 1; }));
  EXPECT_EQ(opened_[0], QUrl(QStringLiteral("http://tv.example.jp/p/1")));
  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("secure")));
  ASSERT_TRUE(WaitUntil([&] { return opened_.size() == 2; }));
  EXPECT_EQ(opened_[1], QUrl(QStringLiteral("https://tv.example.jp/p/2")));
  // A script link reaches neither the desktop nor the view.
  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("script")));
  EXPECT_FALSE(WaitUntil([&] { return opened_.size() > 2; }, 500));
  EXPECT_EQ(DataUrl(), before);
}

TEST_F(WatchViewTest, WatchLinkClicksToggleTheMarkStoreTheListAndNotifyTheServiceOnce) {
  WritePage("20110309", Cell("p1", "0001", "19:00", "ニュース", "http://tv.example.jp/iepg.tvpi?id=1") +
                            Cell("p2", "0002", "20:00", "映画", "http://tv.example.jp/iepg.tvpi?id=2"));
  ASSERT_TRUE(StartUp());
  const QString page = DataUrl();

  ASSERT_TRUE(ClickAndWaitForMarks("p1w"));
  EXPECT_TRUE(CellClass("p1").split(QLatin1Char(' ')).contains(QStringLiteral("watch"))) << CellClass("p1").toStdString();
  EXPECT_FALSE(CellClass("p2").contains(QStringLiteral("watch")));
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "000108GooTv,");
  EXPECT_EQ(host_.captionText, kanro::text::Utf8ToCp932("【19:00】ニュース "));
  ASSERT_TRUE(WaitUntil([&] { return !service_.WatchNotifications().empty(); }));
  std::vector<std::string> sent = service_.WatchNotifications();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].rfind("ID=0001&TIME=", 0), 0u) << sent[0];
  EXPECT_NE(sent[0].find("&WATCH=Y&DATE=20110309"), std::string::npos) << sent[0];

  // The second click takes the mark away again; the list stays, empty.
  ASSERT_TRUE(ClickAndWaitForMarks("p1w"));
  EXPECT_FALSE(CellClass("p1").contains(QStringLiteral("watch")));
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "");
  EXPECT_EQ(host_.captionText, "");
  ASSERT_TRUE(WaitUntil([&] { return service_.WatchNotifications().size() >= 2; }));
  sent = service_.WatchNotifications();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_NE(sent[1].find("&WATCH=N&DATE=20110309"), std::string::npos) << sent[1];
  // The data frame never left its page; the hidden frame is emptied again.
  EXPECT_EQ(DataUrl(), page);
  EXPECT_TRUE(WaitUntil([&] {
    return Eval(Web()->page(), QStringLiteral("String(window.frames['data'].frames['iepg'].location.href)")).toString() ==
           QStringLiteral("about:blank");
  }));
}

// A programme cell as the view collects it (tag names in capitals).
kanro::view::PageCell CollectedCell(const std::string& number, const std::string& time, const std::string& title) {
  kanro::view::PageCell cell;
  cell.markup = kanro::text::Utf8ToWide("<A href=\"prp://watch?ID=" + number + "&amp;TIME=x&amp;TITLE=x\"><STRONG>" +
                                        time + "</STRONG> <STRONG>" + title + "</STRONG></A>");
  cell.text = kanro::text::Utf8ToWide(time + " " + title);
  cell.className = U"genre_01";
  return cell;
}

TEST_F(WatchViewTest, TodaysMarkedProgrammesAlertOneAfterTheOtherWhenTheClockReachesThem) {
  WriteProfileString("Watch", "20110309", "000108GooTv,000208GooTv,000308GooTv,");
  WriteProfileInt("Window", "AlertMinute", 1);
  QWidget window;
  kanro::view::CWatchController controller(host_, &window);
  // At 18:57:30 the two programmes at 19:00 are due at 18:59:30; the one at
  // 18:58 starts within the lead time and gets no alert; 19:30 is not marked.
  std::vector<kanro::view::PageCell> cells = {
      CollectedCell("0001", "19:00", "ニュース"), CollectedCell("0002", "19:00", "天気"),
      CollectedCell("0003", "18:58", "映画"), CollectedCell("0004", "19:30", "音楽")};
  const fs::path today = kanro::view::DataPagePath("20110309", "08GooTv");

  // A print copy of the page leaves the caption and the alerts alone.
  std::vector<kanro::view::PageCell> copy = cells;
  controller.DecidePass(copy, today, false);
  EXPECT_TRUE(controller.Alerts().Pending().empty());
  EXPECT_EQ(host_.captionText, "");

  controller.DecidePass(cells, today, true);
  EXPECT_EQ(controller.Alerts().Pending().size(), 2u);
  EXPECT_EQ(host_.captionText, kanro::text::Utf8ToCp932("【19:00】ニュース 【19:00】天気 【18:58】映画 "));
  // Another day's page shows its marks but keeps today's alerts.
  std::vector<kanro::view::PageCell> tomorrow = cells;
  controller.DecidePass(tomorrow, kanro::view::DataPagePath("20110310", "08GooTv"), true);
  EXPECT_EQ(controller.Alerts().Pending().size(), 2u);

  std::vector<QString> shown;
  QObject::connect(&controller, &kanro::view::CWatchController::alertShown, [&](const QString& m) { shown.push_back(m); });
  EXPECT_FALSE(WaitUntil([&] { return !shown.empty(); }, 2500));  // not yet due
  // The lead time is read again when the alert is shown.
  WriteProfileInt("Window", "AlertMinute", 2);
  SetClock(kanro::app::FromLocalDate(2011, 3, 9, 18, 59, 31));
  ASSERT_TRUE(WaitUntil([&] { return !shown.empty(); }, 10000));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0], QStringLiteral("【ニュース】開始 2 分前になりました。"));
  QMessageBox* box = controller.Presenter().CurrentBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), shown[0]);
  EXPECT_EQ(controller.Presenter().Waiting(), 1u);
  box->accept();
  ASSERT_TRUE(WaitUntil([&] { return shown.size() == 2; }, 5000));
  EXPECT_EQ(shown[1], QStringLiteral("【天気】開始 2 分前になりました。"));
  controller.Presenter().CurrentBox()->accept();
  EXPECT_TRUE(controller.Alerts().Pending().empty());
}

TEST_F(WatchViewTest, WatchLinksToggleTheStoredMarkAndNameTheNotification) {
  QWidget window;
  kanro::view::CWatchController controller(host_, &window);
  const fs::path page = kanro::view::DataPagePath("20110309", "08GooTv");
  const QUrl link = QUrl::fromEncoded("prp://watch/?ID=0001&TIME=19%3A00&TITLE=%83j%83%85%81%5B%83X");
  const QString service = QString::fromStdString(service_.ServiceUrl());

  kanro::view::CWatchController::LinkResult set = controller.OnWatchLink(link, page);
  EXPECT_TRUE(set.handled);
  EXPECT_EQ(QString::fromUtf8(set.notification.toEncoded()),
            service + QStringLiteral("?ID=0001&TIME=19%3A00&TITLE=%83j%83%85%81%5B%83X&WATCH=Y&DATE=20110309"));
  EXPECT_EQ(GetProfileString("Watch", "20110309"), "000108GooTv,");
  kanro::view::CWatchController::LinkResult removed = controller.OnWatchLink(link, page);
  EXPECT_TRUE(QString::fromUtf8(removed.notification.toEncoded()).endsWith(QStringLiteral("&WATCH=N&DATE=20110309")));
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "");
  // Not a usable watch link: nothing is stored or sent.
  kanro::view::CWatchController::LinkResult unusable =
      controller.OnWatchLink(QUrl::fromEncoded("prp://watch/?TIME=1&ID=0001"), page);
  EXPECT_FALSE(unusable.handled);
  EXPECT_TRUE(unusable.notification.isEmpty());
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "");
  EXPECT_EQ(host_.statusText, "");
}

TEST_F(WatchViewTest, AnIepgLinkOfTheListingServerReachesTheHandOverAsATvpiFile) {
  kanro::test::ListingServer listings;
  WritePage("20110309",
            Cell("p1", "0001", "19:00", "ニュース", listings.BaseUrl() + "/iepg.tvpi?id=2011030901_1900"));
  ASSERT_TRUE(StartUp());
  const QString page = DataUrl();
  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("p1i")));
  ASSERT_TRUE(WaitUntil([&] { return !opened_.empty(); }));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_TRUE(opened_[0].isLocalFile());
  EXPECT_TRUE(opened_[0].toLocalFile().endsWith(QStringLiteral(".tvpi")));
  EXPECT_EQ(kanro::test::ReadAll(opened_[0].toLocalFile().toStdString()).rfind("Content-type: application/x-tv-program-info", 0),
            0u);
  EXPECT_EQ(DataUrl(), page);
}

// A desktop without an application for web pages or iEPG files: each click
// that reached it is answered in the status bar, not only on stderr.
TEST_F(WatchViewTest, HandOversNoApplicationTookAreNamedInTheStatusBar) {
  kanro::test::ListingServer listings;
  WritePage("20110309",
            Cell("p1", "0001", "19:00", "ニュース", listings.BaseUrl() + "/iepg.tvpi?id=2011030901_1900"));
  ASSERT_TRUE(StartUp());
  desktopTakes_ = false;
  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("web")));
  ASSERT_TRUE(WaitUntil([&] { return !host_.statusText.empty(); }));
  EXPECT_EQ(kanro::text::Cp932ToUtf8(host_.statusText), "http://tv.example.jp/p/1 が開けませんでした。");
  host_.statusText.clear();
  ASSERT_TRUE(ClickElement(Web(), DataDocument(), QStringLiteral("p1i")));
  ASSERT_TRUE(WaitUntil([&] { return !host_.statusText.empty(); }));
  EXPECT_EQ(kanro::text::Cp932ToUtf8(host_.statusText), "iEPG ファイルを開くアプリケーションが見つかりませんでした。");
  EXPECT_EQ(opened_.size(), 2u);
}

// The hand-over on a page of its own, with the hidden frame loaded as the
// view does when an iEPG link is clicked.
class IepgHandoverTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::view::SetDesktopOpenerForTesting([this](const QUrl& url) {
      opened_.push_back(url);
      openedBytes_.push_back(kanro::test::ReadAll(url.toLocalFile().toStdString()));
      return true;
    });
    // The page stands for the data folder's pages.
    kanro::app::SetDataDir(temp_.path());
    profile_ = kanro::view::CreateViewProfile();
    page_ = new kanro::view::ViewPage(profile_);
    page_->onIepgLink = [this](const QUrl& url) {
      page_->ExpectLoad(url);
      page_->runJavaScript(QStringLiteral("window.frames['iepg'].location.replace(%1)")
                               .arg(QStringLiteral("'") + QString::fromUtf8(url.toEncoded()) + QStringLiteral("'")),
                           QWebEngineScript::ApplicationWorld);
    };
    page_->onStatusText = [this](const std::string& text) { status_.push_back(kanro::text::Cp932ToUtf8(text)); };
    web_ = new QWebEngineView;
    web_->setPage(page_);
    web_->resize(600, 400);
    web_->show();

    server_.ServePath("/html.tvpi", [](const kanro::test::ServedRequest&) {
      return kanro::demo::ServedReply{200, "<html><body>not found</body></html>", "application/octet-stream"};
    });
    server_.ServePath("/big.tvpi", [](const kanro::test::ServedRequest&) {
      std::string body = "Content-type: application/x-tv-program-info\r\n";
      body.resize(100 * 1024, 'x');
      return kanro::demo::ServedReply{200, body, "application/x-tv-program-info"};
    });
    const std::string base = server_.BaseUrl();
    auto link = [](const char* id, const std::string& href) {
      return "<p><a id=\"" + std::string(id) + "\" href=\"" + href + "\">" + id + "</a></p>";
    };
    kanro::test::WriteAll(temp_ / "page.htm",
                          "<html><head><style>a { font-size: 24px; }</style></head><body>" +
                              link("good", base + "/iepg.tvpi?id=2011030901_1900") + link("html", base + "/html.tvpi") +
                              link("big", base + "/big.tvpi") +
                              // Never fetched: no one clicked it.
                              "<iframe src=\"" + base + "/iepg.tvpi?id=2011030902_2000\" width=\"0\" height=\"0\"></iframe>"
                              "<iframe name=\"iepg\" width=\"0\" height=\"0\"></iframe></body></html>");
    SignalCounter loaded(page_, &QWebEnginePage::loadFinished);
    const QUrl page = QUrl::fromLocalFile(QString::fromStdString((temp_ / "page.htm").string()));
    page_->ExpectLoad(page);
    page_->load(page);
    ASSERT_TRUE(loaded.wait(20000));
  }

  void TearDown() override {
    delete web_;
    delete page_;
    delete profile_;
    kanro::view::SetDesktopOpenerForTesting({});
  }

  size_t RequestsFor(const std::string& target) const {
    size_t count = 0;
    for (const kanro::test::ServedRequest& request : server_.Requests()) count += request.target == target;
    return count;
  }

  kanro::test::TempDir temp_{"kanro-iepg-gui"};
  kanro::test::ListingServer server_;
  QWebEngineProfile* profile_ = nullptr;
  kanro::view::ViewPage* page_ = nullptr;
  QWebEngineView* web_ = nullptr;
  std::vector<QUrl> opened_;
  std::vector<std::string> openedBytes_;
  std::vector<std::string> status_;
};

TEST_F(IepgHandoverTest, AClickedIepgFileIsSavedUnderOurNameAndHandedOverAndOthersAreRefused) {
  ASSERT_TRUE(ClickElement(web_, QStringLiteral("document"), QStringLiteral("good")));
  ASSERT_TRUE(WaitUntil([&] { return opened_.size() == 1; }));
  const QString path = opened_[0].toLocalFile();
  EXPECT_TRUE(opened_[0].isLocalFile());
  EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("kanro-")));
  EXPECT_TRUE(path.endsWith(QStringLiteral(".tvpi")));
  EXPECT_EQ(QFileInfo(QFileInfo(path).path()).permissions() & (QFile::ReadOther | QFile::ReadGroup), 0);
  EXPECT_EQ(openedBytes_[0].rfind("Content-type: application/x-tv-program-info", 0), 0u) << openedBytes_[0];
  EXPECT_NE(openedBytes_[0].find("start: 19:00"), std::string::npos);
  EXPECT_TRUE(status_.empty());

  // HTML sent as a download and an oversized file are not handed over.
  ASSERT_TRUE(ClickElement(web_, QStringLiteral("document"), QStringLiteral("html")));
  ASSERT_TRUE(WaitUntil([&] { return status_.size() == 1; }));
  EXPECT_NE(status_[0].find("iEPG ファイルではない"), std::string::npos) << status_[0];
  ASSERT_TRUE(ClickElement(web_, QStringLiteral("document"), QStringLiteral("big")));
  ASSERT_TRUE(WaitUntil([&] { return status_.size() == 2; }));
  EXPECT_NE(status_[1].find("大きすぎる"), std::string::npos) << status_[1];
  EXPECT_EQ(opened_.size(), 1u);
  // Only the file handed over stays in the folder.
  EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files).size(), 1);

  EXPECT_EQ(RequestsFor("/iepg.tvpi?id=2011030901_1900"), 1u);
  EXPECT_EQ(RequestsFor("/iepg.tvpi?id=2011030902_2000"), 0u);
}

}  // namespace
