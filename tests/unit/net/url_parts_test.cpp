#include "net/url_parts.h"

#include <gtest/gtest.h>

namespace {

using kanro::net::SplitUrl;

TEST(UrlPartsTest, ObjectNameIsTheUndecodedTextAfterTheHost) {
  auto parts = SplitUrl("http://tv.example.jp/guide/a%20b/?date=20261208&q=%83%65#top");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->scheme, "http");
  EXPECT_EQ(parts->host, "tv.example.jp");
  EXPECT_EQ(parts->port, 80);
  EXPECT_EQ(parts->objectName, "/guide/a%20b/?date=20261208&q=%83%65#top");

  parts = SplitUrl("https://user:pw@Example.COM:8443/x?y");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->port, 8443);
  EXPECT_EQ(parts->objectName, "/x?y");
  EXPECT_EQ(SplitUrl("https://example.com/")->port, 443);

  // The host name also appears in the scheme: the object is still its path.
  EXPECT_EQ(SplitUrl("http://http/page")->objectName, "/page");
  // No "/" after the host: the split path and query stand in.
  EXPECT_EQ(SplitUrl("http://example.com?x=1")->objectName, "/?x=1");
  EXPECT_EQ(SplitUrl("http://example.com")->objectName, "/");
}

}  // namespace
