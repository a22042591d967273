#include "view/link_policy.h"

#include <gtest/gtest.h>

#include "view/launch_auto.h"

namespace kanro::view {
namespace {

const QUrl kService(QStringLiteral("http://127.0.0.1:8123/kanro/operate.php"));

NavigationDecision Decide(const char* url, bool click) {
  return DecideNavigation(QUrl(QString::fromUtf8(url)), click, kService);
}

TEST(LinkPolicyTest, NavigationsByKind) {
  EXPECT_EQ(Decide("file:///d/Data/2011030908GooTv.htm", false), NavigationDecision::Allow);
  EXPECT_EQ(Decide("about:blank", false), NavigationDecision::Allow);
  EXPECT_EQ(Decide("prp://watch/?ID=0001&TIME=x&TITLE=y", true), NavigationDecision::WatchLink);
  EXPECT_EQ(Decide("PRP://watch?ID=1", false), NavigationDecision::WatchLink);
  // Remote pages never load inside the view; a click hands them to the browser.
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", true), NavigationDecision::OpenExternally);
  EXPECT_EQ(Decide("https://tv.example.jp/p/1", false), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("http://127.0.0.1:9999/x", false), NavigationDecision::Refuse);
  // The hidden frame reaches the service.
  EXPECT_EQ(Decide("http://127.0.0.1:8123/kanro/operate.php?mode=watch", false), NavigationDecision::Allow);
  EXPECT_EQ(Decide("javascript:alert(1)", true), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("data:text/html,<b>x</b>", false), NavigationDecision::Refuse);
  EXPECT_EQ(Decide("mailto:a@example.jp", true), NavigationDecision::OpenExternally);
}

TEST(LinkPolicyTest, OnlyTheServiceIsReachableFromPages) {
  auto blocked = [](const char* url) { return ShouldBlockRequest(QUrl(QString::fromUtf8(url)), kService); };
  EXPECT_TRUE(blocked("http://img.example.jp/a.gif"));
  EXPECT_TRUE(blocked("https://127.0.0.1:8123/kanro/operate.php"));  // other scheme
  EXPECT_TRUE(blocked("http://127.0.0.1:8124/kanro/operate.php"));   // other port
  EXPECT_TRUE(blocked("http://127.0.0.1:8123/kanro/other.php"));     // other path
  EXPECT_TRUE(blocked("ws://x.example.jp/"));
  EXPECT_TRUE(blocked("ftp://x.example.jp/f"));
  EXPECT_FALSE(blocked("http://127.0.0.1:8123/kanro/operate.php?x=1"));
  EXPECT_FALSE(blocked("file:///d/Kanro.css"));
  EXPECT_FALSE(blocked("prp://watch?ID=1"));
  // Default ports count as the same address.
  EXPECT_FALSE(ShouldBlockRequest(QUrl(QStringLiteral("http://svc.example.jp:80/kanro/operate.php")),
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
