#include "view/link_policy.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "view/launch_auto.h"

#include <filesystem>

namespace kanro::view {
namespace {

const QUrl kService(QStringLiteral("http://127.0.0.1:8123/kanro/operate.php"));
const std::filesystem::path kDataFolder = "/d/kanro/";

// How a navigation came about.
constexpr NavigationSource kClick{true, false, false};        // a link clicked in a frame
constexpr NavigationSource kProgram{false, true, false};      // the program loads a frame
constexpr NavigationSource kProgramTop{false, true, true};    // the program loads the top
constexpr NavigationSource kByItself{false, false, false};    // meta refresh, frame source, redirect
constexpr NavigationSource kClickTop{true, false, true};      // a click that would replace the top

NavigationDecision Decide(const char* url, NavigationSource source) {
  return DecideNavigation(QUrl(QString::fromUtf8(url)), source, kService, kDataFolder);
}

TEST(LinkPolicyTest, LocalPagesInsideTheDataFolderLoadWhenTheProgramOrAClickAsks) {
  EXPECT_EQ(Decide("file:///d/kanro/index.htm", kProgramTop), NavigationDecision::Allow);
  EXPECT_EQ(Decide("file:///d/kanro/Data/2011030908GooTv.htm", kProgram), NavigationDecision::Allow);
  EXPECT_EQ(Decide("file:///d/kanro/Head/08GooTv.htm", kClick), NavigationDecision::Allow);
  EXPECT_EQ(Decide("about:blank", kByItself), NavigationDecision::Allow);
  // A local page whose query names a web address is still a local page, never
  // handed to the browser.
  EXPECT_EQ(Decide("file:///d/kanro/x.htm?http://tv.example.jp/", kClick), NavigationDecision::Allow);

  // A page moving a frame by itself (meta refresh, a frame's source) goes
  // nowhere, not even inside the folder; a click never replaces the frameset.
  EXPECT_EQ(Decide("file:///d/kanro/Data/2011031008GooTv.htm", kByItself), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("file:///d/kanro/Data/2011031008GooTv.htm", kClickTop), NavigationDecision::Refuse);
  // Outside the data folder nothing loads, however it is asked for or spelled.
  for (const char* url : {"file:///etc/passwd", "file:///d/kanro/../secret.htm", "file:///d/kanro/Data/%2E%2E/%2E%2E/x",
                          "file:///d/kanro2/Data/x.htm", "file:///d/kanro", "file://server/d/kanro/index.htm",
                          "about:version", "view-source:file:///d/kanro/index.htm", "qrc:/x.htm"}) {
    EXPECT_EQ(Decide(url, kProgram), NavigationDecision::Refuse) << url;
    EXPECT_EQ(Decide(url, kClick), NavigationDecision::Refuse) << url;
    EXPECT_EQ(Decide(url, kByItself), NavigationDecision::Refuse) << url;
  }
}

TEST(LinkPolicyTest, WatchLinksAreCommandsOnlyWhenClickedInAFrame) {
  EXPECT_EQ(Decide("prp://watch/?ID=0001&TIME=x&TITLE=y", kClick), NavigationDecision::WatchLink);
  EXPECT_EQ(Decide("PRP://WATCH?ID=1", kClick), NavigationDecision::WatchLink);
  // A meta refresh or a redirect to a watch link, or one the top would follow.
  EXPECT_EQ(Decide("prp://watch?ID=0001&TIME=x", kByItself), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watch?ID=0001&TIME=x", kProgram), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watch?ID=0001&TIME=x", kClickTop), NavigationDecision::Refuse);
  // Only "prp://watch?" is a watch link.
  EXPECT_EQ(Decide("prp://watch", kClick), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watchx/?ID=0001&TIME=1", kClick), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watch/other?ID=0001&TIME=1", kClick), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://user@watch/?ID=0001&TIME=1", kClick), NavigationDecision::Refuse);
}

TEST(LinkPolicyTest, OnlyHttpAndHttpsLinksOpenInTheBrowser) {
  // Remote pages never load inside the view; a click hands them to the browser.
  EXPECT_EQ(Decide("http://tv.example.jp/p/1", kClick), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", kClickTop), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("HTTP://TV.EXAMPLE.JP/p/1", kClick), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", kProgramTop), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://127.0.0.1:9999/x", kByItself), NavigationDecision::Refuse);
  // Nothing else reaches the desktop, clicked or not.
  for (const char* url : {"javascript:alert(1)", "JavaScript:location='http://x.example.jp/'", "mailto:a@example.jp",
                          "data:text/html,<b>x</b>", "ftp://x.example.jp/f", "smb://host/share", "ms-settings:",
                          "vbscript:x", "tel:0123", "http:///nohost", "x-unknown://a/b"}) {
    EXPECT_EQ(Decide(url, kClickTop), NavigationDecision::Refuse) << url;
    EXPECT_EQ(Decide(url, kByItself), NavigationDecision::Refuse) << url;
  }
}

TEST(LinkPolicyTest, IepgLinksGoToTheHiddenFrameAndTheServiceIsReachedOnlyByTheProgram) {
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=2011030901_1900", kClick), NavigationDecision::IepgLink);
  EXPECT_EQ(Decide("https://tv.example.jp/a/b.TVPI", kClick), NavigationDecision::IepgLink);
  // The view's own load into the hidden frame proceeds; into the top window
  // never, nor a frame that loads one by itself.
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=1", kProgram), NavigationDecision::Allow);
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=1", kProgramTop), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=1", kByItself), NavigationDecision::Refuse);
  // ".tvpi" only counts at the end of the path.
  EXPECT_EQ(Decide("http://tv.example.jp/p?file=iepg.tvpi", kClick), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi.html", kClick), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("file:///d/kanro/iepg.tvpi", kClick), NavigationDecision::Allow);

  // A notification the program sends; a page's own frame or refresh to the
  // service would report a mark nobody set.
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?ID=0001&WATCH=Y", kProgram), NavigationDecision::Allow);
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?ID=0001&WATCH=Y", kByItself), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?ID=0001&WATCH=Y", kProgramTop), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?x=1", kClick), NavigationDecision::OpenExternally);
}

TEST(LinkPolicyTest, PagesRequestOnlyFilesOfTheDataFolderTheServiceAndClickedIepgFiles) {
  auto blocked = [](const char* url, bool subFrame = false) {
    return ShouldBlockRequest(QUrl(QString::fromUtf8(url)), subFrame, kService, kDataFolder);
  };
  EXPECT_TRUE(blocked("http://img.example.jp/a.gif"));
  EXPECT_TRUE(blocked("http://img.example.jp/a.gif", true));
  EXPECT_TRUE(blocked("https://127.0.0.1:8123/kanro/operate.php", true));  // other scheme
  EXPECT_TRUE(blocked("http://127.0.0.1:8124/kanro/operate.php", true));   // other port
  EXPECT_TRUE(blocked("http://127.0.0.1:8123/kanro/other.php", true));     // other path
  EXPECT_TRUE(blocked("ws://x.example.jp/"));
  EXPECT_TRUE(blocked("ftp://x.example.jp/f.tvpi", true));
  EXPECT_FALSE(blocked("http://127.0.0.1:8123/kanro/operate.php?x=1", true));
  // The service as an image or a style sheet of a page is not a notification.
  EXPECT_TRUE(blocked("http://127.0.0.1:8123/kanro/operate.php?x=1"));
  EXPECT_FALSE(blocked("file:///d/kanro/Kanro.css"));
  EXPECT_FALSE(blocked("file:///d/kanro/Image/mark.gif"));
  EXPECT_TRUE(blocked("file:///etc/passwd"));
  EXPECT_TRUE(blocked("file:///d/kanro/../secret.gif"));
  EXPECT_TRUE(blocked("file:///etc/passwd", true));
  EXPECT_FALSE(blocked("prp://watch?ID=1"));
  EXPECT_FALSE(blocked("data:image/gif;base64,R0lGODlhAQABAAAAACw="));
  for (const char* url : {"qrc:/x.png", "chrome://version", "filesystem:file:///d/kanro/x", "x-unknown://a/b"})
    EXPECT_TRUE(blocked(url)) << url;
  // An iEPG file as a frame's document, not as an image or script of a page.
  EXPECT_FALSE(blocked("http://tv.example.jp/iepg.tvpi?id=1", true));
  EXPECT_TRUE(blocked("http://tv.example.jp/iepg.tvpi?id=1", false));
  // Default ports count as the same address.
  EXPECT_FALSE(ShouldBlockRequest(QUrl(QStringLiteral("http://svc.example.jp:80/kanro/operate.php")), true,
                                  QUrl(QStringLiteral("http://svc.example.jp/kanro/operate.php")), kDataFolder));
}

TEST(LinkPolicyTest, SymbolicLinksOutOfTheDataFolderAreOutside) {
  namespace fs = std::filesystem;
  test::TempDir temp("kanro-link-policy");
  const fs::path real = temp / "real";
  fs::create_directories(real / "Data");
  fs::create_directories(temp / "secret");
  test::WriteAll(temp / "secret" / "key.txt", "k");
  test::WriteAll(real / "Data" / "page.htm", "p");
  fs::create_directory_symlink(temp / "secret", real / "Data" / "escape");
  fs::create_directory_symlink(real, temp / "linked");
  auto file = [](const fs::path& path) { return QUrl::fromLocalFile(QString::fromStdString(path.string())); };

  EXPECT_TRUE(IsInsideFolder(file(real / "Data" / "page.htm"), real));
  EXPECT_FALSE(IsInsideFolder(file(real / "Data" / "escape" / "key.txt"), real));
  // A data folder reached through a link of its own holds its files still.
  EXPECT_TRUE(IsInsideFolder(file(temp / "linked" / "Data" / "page.htm"), real));
  EXPECT_TRUE(IsInsideFolder(file(real / "Data" / "page.htm"), temp / "linked" / ""));
  EXPECT_FALSE(IsInsideFolder(file(temp / "secret" / "key.txt"), temp / "linked"));
  EXPECT_FALSE(IsInsideFolder(file(real / "Data" / "page.htm"), {}));
}

TEST(LaunchAutoPendingTest, RequestedOnceAndDroppedWhenADownloadIsUnderWay) {
  LaunchAutoPending pending;
  EXPECT_FALSE(pending.TakeRequest(false));  // never armed
  pending.Arm(true);
  EXPECT_TRUE(pending.TakeRequest(false));
  EXPECT_FALSE(pending.TakeRequest(false));  // only once

  pending.Arm(true);
  EXPECT_FALSE(pending.TakeRequest(true));   // a worker runs: nothing more to request
  EXPECT_FALSE(pending.IsPending());

  pending.Arm(true);
  pending.DownloadStarted();
  EXPECT_FALSE(pending.TakeRequest(false));
}

}  // namespace
}  // namespace kanro::view
