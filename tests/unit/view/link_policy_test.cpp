#include "view/link_policy.h"

#include <gtest/gtest.h>

#include "view/launch_auto.h"

namespace kanro::view {
namespace {

const QUrl kService(QStringLiteral("http://127.0.0.1:8123/kanro/operate.php"));

NavigationDecision Decide(const char* url, bool click, bool mainFrame = false) {
  return DecideNavigation(QUrl(QString::fromUtf8(url)), click, mainFrame, kService);
}

TEST(LinkPolicyTest, LocalPagesLoadAndWatchLinksAreCommands) {
  EXPECT_EQ(Decide("file:///d/Data/2011030908GooTv.htm", false, true), NavigationDecision::Allow);
  EXPECT_EQ(Decide("about:blank", false), NavigationDecision::Allow);
  // A local page whose query names a web address is still a local page, never
  // handed to the browser.
  EXPECT_EQ(Decide("file:///d/x.htm?http://tv.example.jp/", true), NavigationDecision::Allow);

  EXPECT_EQ(Decide("prp://watch/?ID=0001&TIME=x&TITLE=y", true), NavigationDecision::WatchLink);
  EXPECT_EQ(Decide("prp://watch?ID=0001&TIME=x", false), NavigationDecision::WatchLink);
  EXPECT_EQ(Decide("PRP://WATCH?ID=1", false), NavigationDecision::WatchLink);
  // Only "prp://watch?" is a watch link.
  EXPECT_EQ(Decide("prp://watch", true), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watchx/?ID=0001&TIME=1", true), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://watch/other?ID=0001&TIME=1", true), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("prp://user@watch/?ID=0001&TIME=1", true), NavigationDecision::Refuse);
}

TEST(LinkPolicyTest, OnlyHttpAndHttpsLinksOpenInTheBrowser) {
  // Remote pages never load inside the view; a click hands them to the browser.
  EXPECT_EQ(Decide("http://tv.example.jp/p/1", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("HTTP://TV.EXAMPLE.JP/p/1", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", false, true), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://127.0.0.1:9999/x", false), NavigationDecision::Refuse);
  // Nothing else reaches the desktop, clicked or not.
  for (const char* url : {"javascript:alert(1)", "JavaScript:location='http://x.example.jp/'", "mailto:a@example.jp",
                          "data:text/html,<b>x</b>", "ftp://x.example.jp/f", "smb://host/share", "ms-settings:",
                          "vbscript:x", "tel:0123", "http:///nohost", "x-unknown://a/b"}) {
    EXPECT_EQ(Decide(url, true, true), NavigationDecision::Refuse) << url;
    EXPECT_EQ(Decide(url, false), NavigationDecision::Refuse) << url;
  }
}

TEST(LinkPolicyTest, IepgLinksGoToTheHiddenFrameAndTheServiceIsReachedOnlyFromAFrameLoad) {
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=2011030901_1900", true), NavigationDecision::IepgLink);
  EXPECT_EQ(Decide("https://tv.example.jp/a/b.TVPI", true), NavigationDecision::IepgLink);
  // The view's own load into the hidden frame proceeds; into the top window never.
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=1", false, false), NavigationDecision::Allow);
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi?id=1", false, true), NavigationDecision::Refuse);
  // ".tvpi" only counts at the end of the path.
  EXPECT_EQ(Decide("http://tv.example.jp/p?file=iepg.tvpi", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("http://tv.example.jp/iepg.tvpi.html", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("file:///d/iepg.tvpi", true), NavigationDecision::Allow);

  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?ID=0001&WATCH=Y", false), NavigationDecision::Allow);
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?x=1", true), NavigationDecision::OpenExternally);
}

TEST(LinkPolicyTest, OnlyTheServiceAndFrameLoadsOfIepgFilesLeaveTheMachine) {
  auto blocked = [](const char* url, bool subFrame = false) {
    return ShouldBlockRequest(QUrl(QString::fromUtf8(url)), subFrame, kService);
  };
  EXPECT_TRUE(blocked("http://img.example.jp/a.gif"));
  EXPECT_TRUE(blocked("http://img.example.jp/a.gif", true));
  EXPECT_TRUE(blocked("https://127.0.0.1:8123/kanro/operate.php"));  // other scheme
  EXPECT_TRUE(blocked("http://127.0.0.1:8124/kanro/operate.php"));   // other port
  EXPECT_TRUE(blocked("http://127.0.0.1:8123/kanro/other.php"));     // other path
  EXPECT_TRUE(blocked("ws://x.example.jp/"));
  EXPECT_TRUE(blocked("ftp://x.example.jp/f.tvpi", true));
  EXPECT_FALSE(blocked("http://127.0.0.1:8123/kanro/operate.php?x=1"));
  EXPECT_FALSE(blocked("file:///d/Kanro.css"));
  EXPECT_FALSE(blocked("prp://watch?ID=1"));
  // An iEPG file as a frame's document, not as an image or script of a page.
  EXPECT_FALSE(blocked("http://tv.example.jp/iepg.tvpi?id=1", true));
  EXPECT_TRUE(blocked("http://tv.example.jp/iepg.tvpi?id=1", false));
  // Default ports count as the same address.
  EXPECT_FALSE(ShouldBlockRequest(QUrl(QStringLiteral("http://svc.example.jp:80/kanro/operate.php")), false,
                                  QUrl(QStringLiteral("http://svc.example.jp/kanro/operate.php"))));
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
