// The listing view in a real WebEngine (offscreen) over generated pages in a
// temporary data folder, with a small window stand-in as its host.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/auto_download.h"
#include "app/clock.h"
#include "app/default_files.h"
#include "app/keyword_list.h"
#include "app/frameset_page.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "gui/gui_waits.h"
#include "gui/test_view_host.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "view/current_date.h"
#include "view/page_locations.h"
#include "view/ui/find_bar.h"
#include "view/ui/kanro_view.h"
#include "view/ui/prp_scheme.h"
#include "view/ui/view_page.h"
#include "view/view_host.h"

// Readable failure messages.
inline void PrintTo(const QDate& date, std::ostream* out) { *out << date.toString(Qt::ISODate).toStdString(); }

namespace {

using kanro::test::Eval;
using kanro::test::SignalCounter;
using kanro::test::TestViewHost;

namespace fs = std::filesystem;
using kanro::view::CKanroView;

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    kanro::view::RegisterPrpScheme();
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override { delete app_; }

 private:
  int argc_ = 1;
  char name_[16] = "gui_view_test";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};
testing::Environment* const kQtEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);


std::string TitleOf(const std::string& date, const std::string& entry) { return "番組表 " + date + " " + entry; }

class ViewTest : public testing::Test {
 protected:
  void SetUp() override { UseDataFolder(temp_.path() / "kanro"); }

  void UseDataFolder(const fs::path& root) {
    kanro::app::DeleteAllProfileValues();
    WriteProfileInt("Window", "TvProgramTypeIndex", 0);
    fs::create_directories(root);
    kanro::app::SetDataDir(root);
    fs::create_directories(kanro::app::DataFolder());
    fs::create_directories(kanro::app::HeadFolder());
    ASSERT_TRUE(kanro::app::CreateIndex(kanro::app::IndexPath()));
    // 03:00 on Thursday 10 March 2011: the listing day is still 9 March.
    const int64_t now = kanro::app::FromLocalDate(2011, 3, 10, 3, 0, 0);
    kanro::app::SetClockForTesting([now] { return now; });
    kanro::app::m_bAutoDownload = false;
  }

  void TearDown() override {
    view_.reset();
    kanro::app::SetClockForTesting({});
    kanro::app::m_bAutoDownload = false;
    g_pNetBusy.store(nullptr);
  }

  // Header and data page of a goo entry for one date, written by the converter.
  static void WritePages(const std::string& date, const std::string& entry = "08GooTv",
                         const std::string& typeKey = "GooTv", bool header = true) {
    kanro::sites::SamplePageOptions options;
    options.typeKey = typeKey;
    options.year = std::stoi(date.substr(0, 4));
    options.month = std::stoi(date.substr(4, 2));
    options.day = std::stoi(date.substr(6, 2));
    const fs::path downloaded = kanro::app::DataDir() / "downloaded.html";
    ASSERT_TRUE(kanro::sites::WriteSamplePage(downloaded, options));
    kanro::sites::CGooHtmlCreater creater;
    if (header) {
      ASSERT_TRUE(creater.CreateHead(downloaded, kanro::view::HeaderPagePath(entry)));
    }
    ASSERT_TRUE(creater.CreateData(downloaded, kanro::view::DataPagePath(date, entry),
                                   kanro::text::Utf8ToCp932(TitleOf(date, entry))));
    fs::remove(downloaded);
  }

  void CreateView() {
    view_ = std::make_unique<CKanroView>(host_, host_.days);
    view_->resize(900, 600);
    view_->show();
  }

  QWebEnginePage* Page() const { return view_->WebView()->page(); }

  // Runs the action and waits until a data page has loaded in the view.
  template <class Action>
  bool ShowsDataPageAfter(Action action) {
    SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
    action();
    return shown.wait(20000);
  }
  bool StartUp() {
    CreateView();
    return ShowsDataPageAfter([this] { view_->OnInitialUpdate(); });
  }

  QString FrameUrl(const char* frame) const {
    // The address without the hour anchor.
    return Eval(Page(), QStringLiteral("window.frames['%1'] ? String(window.frames['%1'].location.href).replace(/#.*$/, '') : ''")
                            .arg(QString::fromLatin1(frame)))
        .toString();
  }
  QString DataHash() const {
    return Eval(Page(), QStringLiteral("window.frames['data'] ? String(window.frames['data'].location.hash) : ''"))
        .toString();
  }
  static QString UrlOf(const fs::path& page) { return QString::fromUtf8(kanro::view::PageUrl(page).toEncoded()); }
  static QString DataUrl(const std::string& date, const std::string& entry = "08GooTv") {
    return UrlOf(kanro::view::DataPagePath(date, entry));
  }

  kanro::test::TempDir temp_{"kanro-view-gui"};
  TestViewHost host_;
  std::unique_ptr<CKanroView> view_;
};

TEST_F(ViewTest, StartUpShowsTheCurrentListingDayAtTheWallClockHour) {
  WritePages("20110309");
  WritePages("20110310");
  ASSERT_TRUE(StartUp());

  EXPECT_EQ(host_.commands, (std::vector<unsigned>{31012}));
  EXPECT_EQ(kanro::view::CurrentDate(), "20110309");
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(FrameUrl("head"), UrlOf(kanro::view::HeaderPagePath("08GooTv")));
  EXPECT_EQ(DataHash(), QStringLiteral("#2"));
  EXPECT_EQ(host_.caption, kanro::text::Utf8ToCp932(TitleOf("20110309", "08GooTv") + " - Kanro"));
  EXPECT_EQ(host_.listingTime.rfind("Update on ", 0), 0u) << host_.listingTime;
  EXPECT_EQ(host_.picker, QDate(2011, 3, 9));
  EXPECT_EQ(view_->DocumentPath(), kanro::view::DataPagePath("20110309", "08GooTv"));
  const kanro::view::CommandState today = view_->OnUpdateCommand(host_.DayCommandOf("20110309"));
  EXPECT_TRUE(today.enabled && today.checked);
  const kanro::view::CommandState tomorrow = view_->OnUpdateCommand(host_.DayCommandOf("20110310"));
  EXPECT_TRUE(tomorrow.enabled && !tomorrow.checked);
  EXPECT_FALSE(view_->OnUpdateCommand(host_.DayCommandOf("20110311")).enabled);
}

TEST_F(ViewTest, DayHourDatePickerAndListingSelectorCommands) {
  WritePages("20110309");
  WritePages("20110310");
  WritePages("20110310", "08GooBsDisital", "GooBsDisital");
  ASSERT_TRUE(StartUp());

  // Another day: no hour jump, it is not the current listing day.
  ASSERT_TRUE(ShowsDataPageAfter([this] { view_->OnCommand(host_.DayCommandOf("20110310")); }));
  EXPECT_EQ(kanro::view::CurrentDate(), "20110310");
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110310"));
  EXPECT_EQ(DataHash(), QString());
  EXPECT_EQ(host_.caption, kanro::text::Utf8ToCp932(TitleOf("20110310", "08GooTv") + " - Kanro"));

  view_->OnCommand(59505);
  EXPECT_EQ(DataHash(), QStringLiteral("#top"));
  view_->OnCommand(59500);
  EXPECT_EQ(DataHash(), QStringLiteral("#23"));
  view_->OnCommand(59507);
  EXPECT_EQ(DataHash(), QStringLiteral("#6"));

  // The other listing of the same day, header included.
  ASSERT_TRUE(ShowsDataPageAfter([this] { host_.days.SetEntry("08GooBsDisital"); }));
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110310", "08GooBsDisital"));
  EXPECT_EQ(FrameUrl("head"), UrlOf(kanro::view::HeaderPagePath("08GooBsDisital")));
  EXPECT_FALSE(view_->OnUpdateCommand(host_.DayCommandOf("20110309")).enabled);

  // The date picker shows any date that has pages, and nothing for one without.
  host_.days.SetEntry("08GooTv");
  ASSERT_TRUE(ShowsDataPageAfter([this] { host_.PickDate(QDate(2011, 3, 9)); }));
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(DataHash(), QStringLiteral("#2"));
  host_.PickDate(QDate(2011, 4, 1));
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));

  // "Next week", then the current listing command brings this week back.
  host_.SetWeek(1);
  ASSERT_TRUE(ShowsDataPageAfter([this] { host_.PickDate(QDate(2011, 3, 10)); }));
  ASSERT_TRUE(ShowsDataPageAfter([this] { view_->OnCommand(31018); }));
  EXPECT_EQ(host_.DayCommandOf("20110309"), 60010u);  // this week's Wednesday
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
}

TEST_F(ViewTest, DataFolderWithSpaceHashDataAndJapaneseInItsPath) {
  UseDataFolder(temp_.path() / "My Data #1" / "番組表 Data");
  WritePages("20110309");
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(DataHash(), QStringLiteral("#2"));
  EXPECT_EQ(host_.caption, kanro::text::Utf8ToCp932(TitleOf("20110309", "08GooTv") + " - Kanro"));
}

TEST_F(ViewTest, MissingOrEmptyPagesShowNothingAndLeaveTheViewAsItWas) {
  WritePages("20110309");
  WritePages("20110310");
  ASSERT_TRUE(StartUp());

  // A data page without its header page is never shown.
  WritePages("20110310", "08GooUhfBs", "GooUhfBs", false);
  host_.days.SetEntry("08GooUhfBs");
  host_.PickDate(QDate(2011, 3, 10));
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(FrameUrl("head"), UrlOf(kanro::view::HeaderPagePath("08GooTv")));

  // An empty data page is not shown either.
  host_.days.SetEntry("08GooTv");
  kanro::test::WriteAll(kanro::view::DataPagePath("20110310", "08GooTv"), "");
  host_.PickDate(QDate(2011, 3, 10));
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));

  // The page on screen deleted: re-display keeps what is shown.
  fs::remove(kanro::view::DataPagePath("20110309", "08GooTv"));
  view_->OnCommand(31015);
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(host_.caption, kanro::text::Utf8ToCp932(TitleOf("20110309", "08GooTv") + " - Kanro"));
}

TEST_F(ViewTest, ReloadReappliesMarksEvenWithAnHourAnchorInTheAddress) {
  WritePages("20110309");
  ASSERT_TRUE(StartUp());
  ASSERT_EQ(DataHash(), QStringLiteral("#2"));
  // An anchor jump is not a page load.
  SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
  view_->OnCommand(59510);
  EXPECT_EQ(DataHash(), QStringLiteral("#9"));
  ASSERT_TRUE(ShowsDataPageAfter([this] { view_->Reload(); }));
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(DataHash(), QStringLiteral("#9"));
  ASSERT_TRUE(ShowsDataPageAfter([this] { view_->OnCommand(31015); }));
}

TEST_F(ViewTest, ChoosingADayBeforeTheFramesetLoadedShowsTheCurrentListingDay) {
  WritePages("20110309");
  WritePages("20110310");
  kanro::app::m_bAutoDownload = true;
  WriteProfileInt("Window", "TvProgramTypeIndex", -1);  // as if never written
  kanro::app::DeleteProfileValues("Window", {"TvProgramTypeIndex"});
  CreateView();
  view_->OnInitialUpdate();
  EXPECT_EQ(host_.commands, (std::vector<unsigned>{31004, 31012, 32001}));
  EXPECT_FALSE(view_->IsFramesetLoaded());

  ASSERT_TRUE(ShowsDataPageAfter([this] { view_->OnCommand(host_.DayCommandOf("20110310")); }));
  EXPECT_EQ(kanro::view::CurrentDate(), "20110309");
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
}

TEST_F(ViewTest, AutomaticDownloadIsRequestedOnceWhenTheCurrentDayHasNoPage) {
  WriteProfileInt("Download", "LaunchAuto", 1);
  CreateView();
  SignalCounter loaded(Page(), &QWebEnginePage::loadFinished);
  view_->OnInitialUpdate();
  ASSERT_TRUE(loaded.wait(20000));
  EXPECT_TRUE(view_->IsFramesetLoaded());
  EXPECT_EQ(host_.commands, (std::vector<unsigned>{31012, 32001}));
  view_->OnCommand(host_.DayCommandOf("20110310"));
  view_->OnCommand(31018);
  EXPECT_EQ(std::count(host_.commands.begin(), host_.commands.end(), 32001u), 1);
}

TEST_F(ViewTest, PageScriptDoesNotRunAndTheHeaderFollowsTheDataFrame) {
  // Hand-made pages: a wide table, a script of the page's own, a remote image.
  kanro::test::LocalHttpServer remote;
  std::atomic<int> requests{0};
  remote.server().Get(".*", [&requests](const httplib::Request&, httplib::Response& response) {
    ++requests;
    response.set_content("x", "image/gif");
  });
  remote.Start();
  const std::string wide = "<table width=\"3000\"><tr><td>wide</td></tr></table>";
  kanro::test::WriteAll(kanro::view::HeaderPagePath("08GooTv"),
                        "<html><head><title>Header</title></head><body>" + wide + "</body></html>");
  kanro::test::WriteAll(kanro::view::DataPagePath("20110309", "08GooTv"),
                        "<html><head><title>t</title></head><body>" + wide +
                            "<script>document.body.setAttribute('data-ran', '1');</script>"
                            "<img id=\"remote\" src=\"" + remote.Url("/a.gif") + "\">"
                            "<iframe src=\"" + remote.Url("/frame.html") + "\"></iframe>"
                            "<div style=\"height:3000px\"></div></body></html>");
  ASSERT_TRUE(StartUp());
  const QString data = QStringLiteral("window.frames['data']");
  EXPECT_EQ(Eval(Page(), data + QStringLiteral(".document.body.hasAttribute('data-ran')")).toBool(), false);

  Eval(Page(), data + QStringLiteral(".scrollTo(250, 0)"));
  int headX = 0;
  for (int i = 0; i < 200 && headX != 250; ++i)
    headX = Eval(Page(), QStringLiteral("window.frames['head'].scrollX")).toInt();
  EXPECT_EQ(headX, 250);

  bool done = false;
  for (int i = 0; i < 200 && !done; ++i)
    done = Eval(Page(), data + QStringLiteral(".document.getElementById('remote').complete")).toBool();
  EXPECT_TRUE(done);
  EXPECT_EQ(Eval(Page(), data + QStringLiteral(".document.getElementById('remote').naturalWidth")).toInt(), 0);
  EXPECT_EQ(requests.load(), 0);
}

TEST_F(ViewTest, WatchLinksAndRemotePagesNeverLoadInTheViewButTheServiceAnswers) {
  kanro::test::LocalHttpServer service;
  std::atomic<int> notifications{0};
  std::atomic<int> others{0};
  service.server().Get("/kanro/operate.php", [&notifications](const httplib::Request&, httplib::Response& response) {
    ++notifications;
    response.set_content("<html><body>ok</body></html>", "text/html");
  });
  service.server().Get(".*", [&others](const httplib::Request&, httplib::Response& response) {
    ++others;
    response.set_content("<html><body>elsewhere</body></html>", "text/html");
  });
  service.Start();
  const std::string serviceUrl = service.Url("/kanro/operate.php");
  setenv("KANRO_SERVICE_URL", serviceUrl.c_str(), 1);
  WritePages("20110309");
  ASSERT_TRUE(StartUp());

  const QString data = QStringLiteral("window.frames['data']");
  // A watch link without a usable programme number is no command and loads nothing.
  Eval(Page(), data + QStringLiteral(".location.href = 'prp://watch/?ID=1&TIME=1&TITLE=x'"));
  // The program's own request in the hidden frame, as the view sends its notifications.
  const QString request = QString::fromStdString(serviceUrl) + QStringLiteral("?mode=watch");
  qobject_cast<kanro::view::ViewPage*>(Page())->ExpectLoad(QUrl(request));
  Eval(Page(), data + QStringLiteral(".frames['iepg'].location.href = '%1'").arg(request));
  // The hidden frame reaches the service, then is cleared again.
  QString hidden;
  QElapsedTimer waited;
  waited.start();
  while (waited.elapsed() < 15000 && !(notifications.load() == 1 && hidden == QStringLiteral("about:blank")))
    hidden = Eval(Page(), data + QStringLiteral(".frames['iepg'].location.href")).toString();
  EXPECT_EQ(notifications.load(), 1);
  EXPECT_EQ(hidden, QStringLiteral("about:blank"));
  // The navigations refused before it left the data frame where it was.
  EXPECT_EQ(FrameUrl("data"), DataUrl("20110309"));
  EXPECT_EQ(others.load(), 0);
  unsetenv("KANRO_SERVICE_URL");
}

TEST_F(ViewTest, FindBarSearchesTheDataPage) {
  WritePages("20110309");
  ASSERT_TRUE(StartUp());
  const std::string channel = kanro::sites::SampleChannels("GooTv").front();
  SignalCounter found(Page(), &QWebEnginePage::findTextFinished);
  view_->OnCommand(31007);
  EXPECT_TRUE(view_->FindBar()->isVisible());
  view_->FindBar()->Field()->setText(QString::fromStdString(channel));
  ASSERT_TRUE(found.wait(10000));
  EXPECT_TRUE(view_->FindBar()->ResultText().contains(QStringLiteral("件"))) << view_->FindBar()->ResultText().toStdString();
  view_->FindBar()->Field()->setText(QStringLiteral("どこにもない文字列"));
  ASSERT_TRUE(found.wait(10000));
  EXPECT_EQ(view_->FindBar()->ResultText(), QStringLiteral("見つかりません"));
  view_->FindBar()->Close();
  EXPECT_FALSE(view_->FindBar()->isVisible());
}

TEST_F(ViewTest, PrintsTheWholeDataPage) {
  WritePages("20110309");
  ASSERT_TRUE(StartUp());
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setResolution(72);
  const fs::path pdf = temp_.path() / "day.pdf";
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  ASSERT_TRUE(view_->PrintDataPage(printer));
  const std::string bytes = kanro::test::ReadAll(pdf);
  ASSERT_GT(bytes.size(), 1000u);
  size_t pages = 0;
  for (size_t at = bytes.find("/Type /Page"); at != std::string::npos; at = bytes.find("/Type /Page", at + 1))
    if (bytes.compare(at, 12, "/Type /Pages") != 0) ++pages;
  // A whole listing day does not fit on one sheet: more than what is on screen.
  EXPECT_GT(pages, 1u);
}

// A data page of our own layout with the given table cells (UTF-8 markup),
// and a header page, so the cells are known exactly.
void WriteCellPage(const std::string& date, const std::vector<std::string>& cells, int cellHeight = 20) {
  std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">"
      "<title>番組表 " + date + "</title><style>td { height: " + std::to_string(cellHeight) + "px; }</style></head>"
      "<body><table>";
  for (const std::string& cell : cells) page += "<tr>" + cell + "</tr>";
  page += "</table><iframe name=\"iepg\" width=\"0\" height=\"0\"></iframe></body></html>";
  kanro::test::WriteAll(kanro::view::DataPagePath(date, "08GooTv"), kanro::text::Utf8ToCp932(page));
  kanro::test::WriteAll(kanro::view::HeaderPagePath("08GooTv"),
                        kanro::text::Utf8ToCp932("<html><body>head</body></html>"));
}

std::vector<std::string> Cp932List(const std::vector<std::string>& utf8) {
  std::vector<std::string> list;
  for (const std::string& item : utf8) list.push_back(kanro::text::Utf8ToCp932(item));
  return list;
}

// "class|id" of every cell of the data frame, in document order.
QStringList CellMarks(QWebEnginePage* page) {
  return Eval(page, QStringLiteral("Array.prototype.map.call(window.frames['data'].document.getElementsByTagName('td'),"
                                   " function (td) { return td.className + '|' + td.id; })"))
      .toStringList();
}

std::map<int, std::string> Utf8Hits(const std::map<int, std::string>& hits) {
  std::map<int, std::string> utf8;
  for (const auto& [number, text] : hits) utf8[number] = kanro::text::Cp932ToUtf8(text);
  return utf8;
}

TEST_F(ViewTest, KeywordsMarkTheMatchedCellsInOrderAndHandTheHitsOn) {
  WriteCellPage("20110309", {
      "<td class=\"genre_01\"><strong>5:00</strong> <strong>朝のニュース</strong></td>",
      "<td class=\"genre_02\" id=\"kept\">天気 news</td>",
      "<td class=\"genre_03\"><span style=\"display: none;\">【新】</span>ドラマ</td>",
      "<td><a href=\"prp://watch?ID=0005&amp;TIME=6%3A00&amp;TITLE=x\">●</a>ドラマ &amp; NEWS</td>",
      // A programme laid out as a table inside its cell is marked once, as a whole.
      "<td class=\"genre_04\"><table><tr><td>夜のニュース</td></tr></table></td>",
      // Title and description stand on lines of their own.
      "<td><strong>7:00</strong> <strong>まほうのほうき</strong><span style=\"display: none;\">【新】まほうのほうき</span>"
      "<br>ふしぎな森で少年が</td>",
  });
  // "【" sorts before "ド": the hidden marker wins the third cell; "NEWS"
  // never matches "news".
  host_.keywords = Cp932List({"ドラマ", "ニュース", "【新】.*", "NEWS"});
  // The fourth cell is marked to watch too: it keeps that mark.
  WriteProfileString("Watch", "20110309", "000508GooTv,");
  ASSERT_TRUE(StartUp());

  EXPECT_EQ(CellMarks(Page()), (QStringList{QStringLiteral("genre_01 keyword|0"), QStringLiteral("genre_02|kept"),
                                            QStringLiteral("genre_03 keyword|1"), QStringLiteral(" watch keyword|2"),
                                            QStringLiteral("genre_04 keyword|3"), QStringLiteral("|"),
                                            QStringLiteral(" keyword|4")}));
  EXPECT_EQ(Utf8Hits(host_.pageHits), (std::map<int, std::string>{
                                          {0, "ニュース"}, {1, "【新】ドラマ"}, {2, "NEWS"}, {3, "ニュース"},
                                          {4, "【新】まほうのほうき"}}));
  // Listed by start and title; the tool tip keeps the description's line.
  ASSERT_EQ(host_.pageHitTexts.count(4), 1u);
  EXPECT_EQ(kanro::text::Cp932ToUtf8(host_.pageHitTexts.at(4).label), "7:00 まほうのほうき");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(host_.pageHitTexts.at(4).whole),
            "7:00 まほうのほうき【新】まほうのほうき\nふしぎな森で少年が");
  EXPECT_EQ(kanro::text::Cp932ToUtf8(host_.pageHitTexts.at(1).label), "【新】ドラマ");
  EXPECT_EQ(host_.hitsPage, kanro::view::DataPagePath("20110309", "08GooTv"));

  // A reload starts from the file again and marks the same cells once.
  SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
  view_->Reload();
  ASSERT_TRUE(shown.wait(20000));
  EXPECT_EQ(CellMarks(Page())[0], QStringLiteral("genre_01 keyword|0"));
  EXPECT_EQ(host_.pageHitCalls, 2);

  // Without keywords nothing changes and the pane is not told.
  host_.keywords.clear();
  view_->Reload();
  ASSERT_TRUE(shown.wait(20000));
  EXPECT_EQ(CellMarks(Page())[0], QStringLiteral("genre_01|"));
  EXPECT_EQ(host_.pageHitCalls, 2);
}

TEST_F(ViewTest, ScrollToCellBringsTheNumberedCellToTheTop) {
  std::vector<std::string> cells;
  for (int i = 0; i < 80; ++i) cells.push_back("<td>番組 " + std::to_string(i) + (i == 60 ? " 目当て" : "") + "</td>");
  WriteCellPage("20110309", cells, 40);
  host_.keywords = Cp932List({"目当て"});
  ASSERT_TRUE(StartUp());
  ASSERT_EQ(Utf8Hits(host_.pageHits), (std::map<int, std::string>{{0, "目当て"}}));

  const QString data = QStringLiteral("window.frames['data']");
  Eval(Page(), data + QStringLiteral(".scrollTo(0, 0)"));
  view_->HandleMessage(1128, 0, 0);
  const int top = Eval(Page(), data + QStringLiteral(".document.getElementById('0').getBoundingClientRect().top")).toInt();
  EXPECT_GT(Eval(Page(), data + QStringLiteral(".scrollY")).toInt(), 1000);
  EXPECT_LE(std::abs(top), 1);

  // A number no cell carries leaves the page where it is.
  const int before = Eval(Page(), data + QStringLiteral(".scrollY")).toInt();
  view_->HandleMessage(1128, 7, 0);
  view_->HandleMessage(1128, static_cast<uintptr_t>(-1), 0);
  EXPECT_EQ(Eval(Page(), data + QStringLiteral(".scrollY")).toInt(), before);
}

TEST_F(ViewTest, HourCommandsFindTheirHourOnAPageWhoseHitsCarryTheSameNumbers) {
  WritePages("20110309");
  // Every programme is a hit, so cells with the ids "0" to "100" and more stand
  // before the hour anchors of the same names.
  host_.keywords = Cp932List({"."});
  ASSERT_TRUE(StartUp());
  ASSERT_GT(host_.pageHits.size(), 30u);

  const QString data = QStringLiteral("window.frames['data']");
  auto anchorTop = [&](const char* name) {
    return Eval(Page(), data + QStringLiteral(".document.getElementsByName('%1')[0].getBoundingClientRect().top")
                                   .arg(QLatin1String(name)))
        .toDouble();
  };
  for (const auto& [command, anchor] : {std::pair{59507u, "6"}, std::pair{59513u, "12"}, std::pair{59509u, "8"}}) {
    view_->OnCommand(command);
    EXPECT_EQ(DataHash(), QStringLiteral("#") + QLatin1String(anchor));
    EXPECT_LE(std::abs(anchorTop(anchor)), 1.0) << anchor;
  }
  // The same hour again stays there; "top" is the top of the page.
  view_->OnCommand(59509);
  EXPECT_LE(std::abs(anchorTop("8")), 1.0);
  view_->OnCommand(59505);
  EXPECT_EQ(DataHash(), QStringLiteral("#top"));
  EXPECT_EQ(Eval(Page(), data + QStringLiteral(".scrollY")).toInt(), 0);
}

TEST_F(ViewTest, TheDefaultFilesHighlightNewProgrammes) {
  kanro::app::CreateDefaultFiles();
  WritePages("20110309");
  kanro::app::LoadKeywords(host_.keywords);
  ASSERT_TRUE(StartUp());

  kanro::sites::SamplePageOptions options;
  size_t newProgrammes = 0;
  for (const auto& programme : kanro::sites::SampleSchedule(options)) newProgrammes += programme.isNew ? 1 : 0;
  ASSERT_GT(newProgrammes, 0u);
  EXPECT_EQ(host_.pageHits.size(), newProgrammes);
  for (const auto& [number, hit] : Utf8Hits(host_.pageHits)) EXPECT_EQ(hit.rfind("【新】", 0), 0u) << number << " " << hit;
  int marked = 0;
  for (const QString& cell : CellMarks(Page())) marked += cell.contains(QStringLiteral("keyword")) ? 1 : 0;
  EXPECT_EQ(static_cast<size_t>(marked), newProgrammes);

  // The hit is the marker and the title alone (the line break before the
  // description counts), and the pane lists it as start, channel and title.
  const std::vector<std::string> channels = kanro::sites::SampleChannels("GooTv");
  std::vector<std::string> expectedHits, expectedLabels, hits, labels;
  for (const auto& programme : kanro::sites::SampleSchedule(options)) {
    if (!programme.isNew) continue;
    expectedHits.push_back("【新】" + programme.title);
    expectedLabels.push_back(programme.timeText + " " + channels.at(static_cast<size_t>(programme.channel)) + " " +
                             programme.title);
  }
  for (const auto& [number, hit] : Utf8Hits(host_.pageHits)) {
    hits.push_back(hit);
    ASSERT_EQ(host_.pageHitTexts.count(number), 1u) << number;
    labels.push_back(kanro::text::Cp932ToUtf8(host_.pageHitTexts.at(number).label));
    // The tool tip's whole text holds the hidden marker with the title too.
    EXPECT_NE(kanro::text::Cp932ToUtf8(host_.pageHitTexts.at(number).whole).find(hit), std::string::npos) << hit;
  }
  std::sort(expectedHits.begin(), expectedHits.end());
  std::sort(hits.begin(), hits.end());
  std::sort(expectedLabels.begin(), expectedLabels.end());
  std::sort(labels.begin(), labels.end());
  EXPECT_EQ(hits, expectedHits);
  EXPECT_EQ(labels, expectedLabels);
}

}  // namespace
