// The listing view against hostile pages written by hand into Data/ (past the
// page filter on purpose), in a real WebEngine offscreen: meta refreshes,
// frames, remote style sheets and images, files outside the data folder.
// Local servers count every request that reaches them; the view's own
// refusal and blocking signals tell when WebEngine has tried and been stopped.
#include <gtest/gtest.h>

#include <QSet>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>

#include "app/clock.h"
#include "app/frameset_page.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "gui/gui_waits.h"
#include "gui/test_view_host.h"
#include "support/gui_app.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"
#include "view/current_date.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"
#include "view/ui/view_page.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ClickElement;
using kanro::test::Eval;
using kanro::test::SignalCounter;
using kanro::test::WaitUntil;
using kanro::view::CKanroView;

class QtEnvironment : public testing::Environment {
 public:
  void SetUp() override { kanro::test::GuiApplication(); }
};
testing::Environment* const kQtEnvironment = testing::AddGlobalTestEnvironment(new QtEnvironment);

QString FileUrl(const fs::path& path) {
  return QUrl::fromLocalFile(QString::fromStdString(path.string())).toString(QUrl::FullyEncoded);
}

class ConfinementTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    WriteProfileInt("Window", "TvProgramTypeIndex", 0);
    root_ = temp_.path() / "kanro";
    fs::create_directories(root_);
    kanro::app::SetDataDir(root_);
    fs::create_directories(kanro::app::DataFolder());
    fs::create_directories(kanro::app::HeadFolder());
    ASSERT_TRUE(kanro::app::CreateIndex(kanro::app::IndexPath()));
    // Beside the data folder, and through a link inside it.
    outside_ = temp_.path() / "outside";
    fs::create_directories(outside_);
    kanro::test::WriteAll(outside_ / "secret.htm", "<html><body>secret</body></html>");
    kanro::test::WriteAll(outside_ / "secret.gif", "GIF89a");
    fs::create_directory_symlink(outside_, kanro::app::DataFolder() / "escape");
    // 18:57:30 on Wednesday 9 March 2011.
    const int64_t now = kanro::app::FromLocalDate(2011, 3, 9, 18, 57, 30);
    kanro::app::SetClockForTesting([now] { return now; });

    service_.server().Get("/kanro/operate.php", [this](const httplib::Request&, httplib::Response& response) {
      ++serviceRequests_;
      response.set_content("<html><body>ok</body></html>", "text/html");
    });
    service_.Start();
    setenv("KANRO_SERVICE_URL", service_.Url("/kanro/operate.php").c_str(), 1);
    remote_.server().Get(".*", [this](const httplib::Request&, httplib::Response& response) {
      ++remoteRequests_;
      response.set_content("body { background: red; }", "text/css");
    });
    remote_.Start();
  }

  void TearDown() override {
    view_.reset();
    kanro::app::SetClockForTesting({});
    unsetenv("KANRO_SERVICE_URL");
  }

  // A header page and a data page of 08GooTv for the date; head and body
  // are added to pages of the converter's shape with two watch links.
  static void WritePages(const std::string& date, const std::string& head, const std::string& body,
                         const std::string& headerBody = "h") {
    kanro::test::WriteAll(kanro::view::HeaderPagePath("08GooTv"),
                          "<html><head><title>head</title><style>a { font-size: 24px; }</style></head><body>" +
                              headerBody + "</body></html>");
    kanro::test::WriteAll(
        kanro::view::DataPagePath(date, "08GooTv"),
        "<html><head><meta charset=\"Windows-31J\"><title>t</title>" + head +
            "<style>a { font-size: 24px; }</style></head><body><table><tr>"
            "<td id=\"p1\"><a id=\"p1w\" href=\"prp://watch?ID=0001&amp;TIME=19:00&amp;TITLE=x\">19:00 news</a></td>"
            "<td id=\"p2\"><a id=\"p2w\" href=\"prp://watch?ID=0002&amp;TIME=20:00&amp;TITLE=y\">20:00 film</a></td>"
            "</tr></table>" + body + "<iframe name=\"iepg\" width=\"0\" height=\"0\"></iframe></body></html>");
  }

  // Starts the view and records what its page refuses and blocks from then on.
  bool StartUp() {
    view_ = std::make_unique<CKanroView>(host_, host_.days);
    view_->resize(900, 700);
    view_->show();
    auto* page = qobject_cast<kanro::view::ViewPage*>(Page());
    auto* blocker = page ? page->profile()->findChild<kanro::view::RemoteRequestBlocker*>() : nullptr;
    if (!blocker) return false;
    QObject::connect(page, &kanro::view::ViewPage::refused, [this](const QUrl& url) { refused_.insert(Key(url)); });
    QObject::connect(blocker, &kanro::view::RemoteRequestBlocker::blocked,
                     [this](const QUrl& url) { blocked_.insert(Key(url)); });
    SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
    view_->OnInitialUpdate();
    return shown.wait(20000);
  }

  // Runs the event loop until every address was refused or blocked.
  bool WaitForAll(const QSet<QString>& refused, const QSet<QString>& blocked) {
    return WaitUntil([&] { return refused_.contains(refused) && blocked_.contains(blocked); });
  }
  static QString Key(const QUrl& url) { return url.adjusted(QUrl::StripTrailingSlash).toString(QUrl::FullyEncoded); }
  static QString Key(const QString& url) { return Key(QUrl(url)); }

  QWebEnginePage* Page() const { return view_->WebView()->page(); }
  // The address of a frame's document, without the hour anchor.
  QString Location(const QString& frame) const {
    return Eval(Page(), QStringLiteral("String(%1.location.href).split('#')[0]").arg(frame)).toString();
  }
  // The top document is the frameset and its frames hold these pages.
  void ExpectFramesetShows(const std::string& date) const {
    EXPECT_EQ(Location(QStringLiteral("window")), FileUrl(kanro::app::IndexPath()));
    EXPECT_EQ(Location(QStringLiteral("window.frames['head']")), FileUrl(kanro::view::HeaderPagePath("08GooTv")));
    EXPECT_EQ(Location(QStringLiteral("window.frames['data']")), FileUrl(kanro::view::DataPagePath(date, "08GooTv")));
  }
  QString CellClass(const char* id) const {
    return Eval(Page(), QStringLiteral("String(window.frames['data'].document.getElementById('%1').className)")
                            .arg(QString::fromLatin1(id)))
        .toString();
  }
  kanro::test::TempDir temp_{"kanro-confine-gui"};
  fs::path root_;
  fs::path outside_;
  kanro::test::LocalHttpServer service_;
  kanro::test::LocalHttpServer remote_;
  std::atomic<int> serviceRequests_{0};
  std::atomic<int> remoteRequests_{0};
  kanro::test::TestViewHost host_;
  std::unique_ptr<CKanroView> view_;
  QSet<QString> refused_;
  QSet<QString> blocked_;
};

TEST_F(ConfinementTest, AHostilePageLoadsNothingOutsideMarksNothingAndLeavesTheFramesetAsItWas) {
  const QString watch = QStringLiteral("prp://watch/?ID=0001&TIME=19:00&TITLE=x");
  const QString secretPage = FileUrl(outside_ / "secret.htm");
  const QString secretImage = FileUrl(outside_ / "secret.gif");
  const QString linkedImage = FileUrl(kanro::app::DataFolder() / "escape" / "secret.gif");
  const QString otherDay = FileUrl(kanro::view::DataPagePath("20110310", "08GooTv"));
  const QString forged = QString::fromStdString(service_.Url("/kanro/operate.php?ID=0002&WATCH=Y&DATE=20110309"));
  auto remote = [this](const char* path) { return QString::fromStdString(remote_.Url(path)); };
  WritePages("20110310", "", "");
  WritePages("20110309",
             "<meta http-equiv=\"refresh\" content=\"0;url=prp://watch?ID=0001&amp;TIME=19:00&amp;TITLE=x\">"
             "<link rel=\"stylesheet\" href=\"" + remote("/sheet.css").toStdString() + "\">"
             "<style>body { background: url(" + remote("/back.gif").toStdString() + "); }"
             " table { background: url(" + secretImage.toStdString() + "); }</style>",
             "<img src=\"" + remote("/image.gif").toStdString() + "\"><img src=\"" + linkedImage.toStdString() + "\">"
             "<iframe src=\"" + secretPage.toStdString() + "\"></iframe>"
             "<iframe src=\"" + remote("/frame.htm").toStdString() + "\"></iframe>"
             "<iframe src=\"" + forged.toStdString() + "\"></iframe>"
             // Inside the data folder, but no one asked for it.
             "<iframe src=\"" + otherDay.toStdString() + "\"></iframe>");
  ASSERT_TRUE(StartUp());

  ASSERT_TRUE(WaitForAll({Key(watch), Key(secretPage), Key(remote("/frame.htm")), Key(forged), Key(otherDay)},
                         {Key(remote("/sheet.css")), Key(remote("/back.gif")), Key(remote("/image.gif")),
                          Key(secretImage), Key(linkedImage)}))
      << "refused: " << QStringList(refused_.values()).join(' ').toStdString()
      << "\nblocked: " << QStringList(blocked_.values()).join(' ').toStdString();
  EXPECT_EQ(remoteRequests_.load(), 0);
  EXPECT_EQ(serviceRequests_.load(), 0);
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "-");
  EXPECT_FALSE(CellClass("p1").contains(QStringLiteral("watch")));
  ExpectFramesetShows("20110309");
  // No frame of the page holds anything but an empty document.
  EXPECT_EQ(Eval(Page(), QStringLiteral("(function () {"
                                        "  var d = window.frames['data'], shown = [];"
                                        "  for (var i = 0; i < d.frames.length; ++i) shown.push(String(d.frames[i].location.href));"
                                        "  return shown.filter(function (u) { return u !== 'about:blank'; }).join(' ');"
                                        "})()"))
                .toString(),
            QString());
}

TEST_F(ConfinementTest, RefreshesToAFileOutsideOrToThePageItselfAreNotFollowed) {
  WritePages("20110309", "<meta http-equiv=\"refresh\" content=\"0;url=file:///etc/passwd\">", "");
  WritePages("20110310", "<meta http-equiv=\"refresh\" content=\"0\">", "");
  ASSERT_TRUE(StartUp());
  ASSERT_TRUE(WaitForAll({QStringLiteral("file:///etc/passwd")}, {}));
  ExpectFramesetShows("20110309");

  // The program's own day switch still proceeds; the next day's page would
  // reload itself at once, again and again.
  SignalCounter shown(view_.get(), &CKanroView::dataPageShown);
  view_->OnCommand(host_.DayCommandOf("20110310"));
  ASSERT_TRUE(shown.wait(15000));
  const QString nextDay = FileUrl(kanro::view::DataPagePath("20110310", "08GooTv"));
  ASSERT_TRUE(WaitForAll({Key(nextDay)}, {}));
  ExpectFramesetShows("20110310");
  EXPECT_EQ(shown.count(), 1);
  EXPECT_EQ(remoteRequests_.load() + serviceRequests_.load(), 0);
}

TEST_F(ConfinementTest, OnlyAClickInTheDataFrameRunsAWatchCommand) {
  WritePages("20110309", "", "",
             "<a id=\"headwatch\" href=\"prp://watch?ID=0001&amp;TIME=19:00&amp;TITLE=x\">watch from the header</a>");
  ASSERT_TRUE(StartUp());
  // A watch link in the header frame does nothing; the click in the data
  // frame after it marks its programme, and only that one.
  ASSERT_TRUE(ClickElement(view_->WebView(), QStringLiteral("window.frames['head'].document"), QStringLiteral("headwatch")));
  SignalCounter marked(view_.get(), &CKanroView::marksApplied);
  ASSERT_TRUE(ClickElement(view_->WebView(), QStringLiteral("window.frames['data'].document"), QStringLiteral("p2w")));
  ASSERT_TRUE(marked.wait(15000));
  EXPECT_EQ(GetProfileString("Watch", "20110309", "-"), "000208GooTv,");
  EXPECT_TRUE(CellClass("p2").contains(QStringLiteral("watch")));
  EXPECT_FALSE(CellClass("p1").contains(QStringLiteral("watch")));
  ExpectFramesetShows("20110309");
}

}  // namespace
