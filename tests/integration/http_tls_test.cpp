// Certificates are checked: a server whose certificate nobody vouches for
// gets no request, and the user gets a network error.
#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/settings_store.h"
#include "net/http_request.h"
#include "support/process.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

using kanro::test::ReadAll;
using kanro::test::RecordingNotifier;
using kanro::test::TempDir;

TEST(HttpTlsTest, UntrustedCertificateIsANetworkError) {
  TempDir dir;
  const auto key = dir / "key.pem";
  const auto cert = dir / "cert.pem";
  auto made = kanro::test::RunProcess(
      "/usr/bin/openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key.string(), "-out",
                           cert.string(), "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                           "subjectAltName=IP:127.0.0.1"});
  if (made.exitCode != 0) GTEST_SKIP() << "openssl could not make a certificate: " << made.err;

  httplib::SSLServer server(cert.c_str(), key.c_str());
  ASSERT_TRUE(server.is_valid());
  std::atomic<int> requests{0};
  server.Get("/", [&](const httplib::Request&, httplib::Response& res) {
    ++requests;
    res.set_content("secret page", "text/html");
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread thread([&] { server.listen_after_bind(); });

  kanro::app::DeleteAllProfileValues();
  WriteProfileInt("Network", "AccessType", 1);
  RecordingNotifier notifier;
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_EQ(HttpRequest(dir / "out.htm", {""}, url, "", nullptr, url.c_str(), "GET"), -1);
  EXPECT_EQ(ReadAll(dir / "out.htm"), "");
  EXPECT_EQ(requests.load(), 0);
  auto warnings = notifier.Warnings();
  ASSERT_EQ(warnings.size(), 1u);
  // A sentence, then the transport's number and text.
  EXPECT_NE(warnings[0].find(url + kanro::text::Utf8ToCp932(" と安全な接続（HTTPS）を確立できませんでした。\n60\n")),
            std::string::npos)
      << warnings[0];

  while (!server.is_running()) std::this_thread::yield();
  server.stop();
  thread.join();
  kanro::app::DeleteAllProfileValues();
}

}  // namespace
