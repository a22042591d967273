// What reaches a proxy in each access mode: the raw server plays the proxy,
// so the request line and header order are seen exactly as sent.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/settings_store.h"
#include "net/base64.h"
#include "net/blowfish.h"
#include "net/http_request.h"
#include "support/raw_server.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

using kanro::test::RawConnection;
using kanro::test::RawRequest;
using kanro::test::RawServer;
using kanro::test::RecordingNotifier;
using kanro::test::TempDir;

void AnswerOk(RawConnection& c) { c.Write(RawServer::Response(200, "OK", "page")); }

class ProxyHeadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    for (const char* name : {"http_proxy", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                             "no_proxy", "NO_PROXY"})
      unsetenv(name);
  }
  void TearDown() override {
    unsetenv("http_proxy");
    kanro::app::DeleteAllProfileValues();
  }

  void UseNamedProxy(const RawServer& proxy, const std::string& user, const std::string& password) {
    WriteProfileInt("Network", "AccessType", 3);
    WriteProfileString("Network", "ProxyAddress", "127.0.0.1");
    WriteProfileString("Network", "ProxyPort", std::to_string(proxy.port()));
    WriteProfileString("Network", "ProxyUser", user);
    WriteProfileBinary("Network", "ProxyPass", kanro::net::EncipherProxyPassword(password));
  }

  int Get(const std::string& url, std::vector<std::string> extra = {""}) {
    return HttpRequest(dir_ / "out.htm", extra, url, "", nullptr, url.c_str(), "GET");
  }

  TempDir dir_;
  RecordingNotifier notifier_;
};

TEST_F(ProxyHeadersTest, NamedProxyGetsCredentialsAfterTheCallersHeaders) {
  RawServer proxy(AnswerOk);
  UseNamedProxy(proxy, "user", "s3cret");

  EXPECT_EQ(Get("http://127.0.0.1:1/page?q=%41", {"X-First: 1", ""}), 4);
  auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const RawRequest& r = requests[0];
  EXPECT_EQ(r.requestLine, "GET http://127.0.0.1:1/page?q=%41 HTTP/1.1");
  EXPECT_EQ(r.HeaderCount("Proxy-Connection"), 1);
  EXPECT_EQ(r.Header("Proxy-Connection"), "Keep-Alive");
  EXPECT_EQ(r.HeaderCount("Proxy-Authorization"), 1);
  EXPECT_EQ(r.Header("Proxy-Authorization"), "Basic " + Base64Encode("user:s3cret"));
  EXPECT_LT(r.HeaderIndex("X-First"), r.HeaderIndex("Proxy-Connection"));
  EXPECT_EQ(r.HeaderIndex("Proxy-Connection") + 1, r.HeaderIndex("Proxy-Authorization"));
  EXPECT_EQ(r.HeaderIndex("Proxy-Authorization") + 1, r.HeaderIndex("Content-Type"));
}

TEST_F(ProxyHeadersTest, CredentialsNeedAUserAndAStoredPassword) {
  RawServer proxy(AnswerOk);
  UseNamedProxy(proxy, "user", "");  // an empty password is stored as no value
  EXPECT_EQ(Get("http://127.0.0.1:1/a"), 4);
  UseNamedProxy(proxy, "", "secret");
  EXPECT_EQ(Get("http://127.0.0.1:1/b"), 4);
  UseNamedProxy(proxy, "user", "secret");
  WriteProfileBinary("Network", "ProxyPass", std::string(7, '\x55'));  // not a stored password
  EXPECT_EQ(Get("http://127.0.0.1:1/c"), 4);

  auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& r : requests) {
    SCOPED_TRACE(r.requestLine);
    EXPECT_EQ(r.HeaderCount("Proxy-Authorization"), 0);
    // Nor the keep-alive line, which goes only with the credentials, nor any
    // header the request did not ask for.
    EXPECT_EQ(r.HeaderCount("Proxy-Connection"), 0);
    EXPECT_EQ(r.HeaderCount("Accept"), 0);
  }
}

TEST_F(ProxyHeadersTest, UserAndPasswordTravelAsStoredBytes) {
  RawServer proxy(AnswerOk);
  const std::string user = kanro::text::Utf8ToCp932("利用者");
  const std::string password = kanro::text::Utf8ToCp932("合言葉:8");
  UseNamedProxy(proxy, user, password);
  EXPECT_EQ(Get("http://127.0.0.1:1/"), 4);
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(proxy.Requests()[0].Header("Proxy-Authorization"),
            "Basic " + Base64Encode(user + ":" + password));
}

TEST_F(ProxyHeadersTest, DirectModeIgnoresTheEnvironmentAndSendsNoCredentials) {
  RawServer proxy(AnswerOk);
  RawServer server(AnswerOk);
  UseNamedProxy(proxy, "user", "secret");
  WriteProfileInt("Network", "AccessType", 1);
  setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);

  EXPECT_EQ(Get(server.Url("/direct")), 4);
  EXPECT_TRUE(proxy.Requests().empty());
  ASSERT_EQ(server.Requests().size(), 1u);
  const RawRequest r = server.Requests()[0];
  EXPECT_EQ(r.requestLine, "GET /direct HTTP/1.1");
  EXPECT_EQ(r.HeaderCount("Proxy-Authorization"), 0);
  EXPECT_EQ(r.HeaderCount("Proxy-Connection"), 0);
}

TEST_F(ProxyHeadersTest, SystemModeUsesTheEnvironmentProxyWithoutStoredCredentials) {
  RawServer proxy(AnswerOk);
  UseNamedProxy(proxy, "user", "secret");
  setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);
  for (int accessType : {0, 7}) {  // an unknown mode behaves as the system's configuration
    WriteProfileInt("Network", "AccessType", accessType);
    EXPECT_EQ(Get("http://127.0.0.1:1/system"), 4);
  }
  auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);
  for (const auto& r : requests) {
    EXPECT_EQ(r.requestLine, "GET http://127.0.0.1:1/system HTTP/1.1");
    EXPECT_EQ(r.HeaderCount("Proxy-Authorization"), 0);
    EXPECT_EQ(r.HeaderCount("Proxy-Connection"), 0);
  }
}

TEST_F(ProxyHeadersTest, TunnelledRequestsKeepCredentialsForTheProxy) {
  RawServer proxy([](RawConnection& c) {
    c.Write(RawServer::Response(407, "Proxy Authentication Required", ""));
  });
  UseNamedProxy(proxy, "user", "secret");

  EXPECT_EQ(Get("https://127.0.0.1:1/secure", {"X-Server-Only: 1"}), -1);
  auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);  // the first attempt and exactly one retry
  for (const auto& r : requests) {
    EXPECT_EQ(r.requestLine, "CONNECT 127.0.0.1:1 HTTP/1.1");
    EXPECT_EQ(r.Header("Proxy-Authorization"), "Basic " + Base64Encode("user:secret"));
    EXPECT_EQ(r.HeaderCount("X-Server-Only"), 0);
  }
  ASSERT_EQ(notifier_.Warnings().size(), 1u);
  const std::string warning = notifier_.Warnings()[0];
  EXPECT_EQ(warning.substr(warning.find('\n') + 1), "407\nProxy Authentication Required");
}

}  // namespace
