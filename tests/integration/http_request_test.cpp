// HttpRequest against real local servers: cpp-httplib for well-behaved
// responses, the raw server for exact request bytes and broken responses.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_store.h"
#include "net/http_request.h"
#include "support/local_http_server.h"
#include "support/raw_server.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "text/codepage.h"

namespace {

using kanro::app::UM_PROGRESS;
using kanro::test::LocalHttpServer;
using kanro::test::RawConnection;
using kanro::test::RawRequest;
using kanro::test::RawServer;
using kanro::test::ReadAll;
using kanro::test::RecordingNotifier;
using kanro::test::RecordingTarget;
using kanro::test::TempDir;

std::string Utf8ToCp932(const char* text) { return kanro::text::Utf8ToCp932(text); }

std::string Pattern(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  return body;
}

class HttpRequestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    WriteProfileInt("Network", "AccessType", 1);  // no proxy from the environment
    g_bCancel.store(false);
    unsetenv("KANRO_NET_TIMEOUT_SEC");
  }
  void TearDown() override {
    g_bCancel.store(false);
    unsetenv("KANRO_NET_TIMEOUT_SEC");
    kanro::app::DeleteAllProfileValues();
  }

  // A GET as the listing producer makes it.
  int Get(const std::string& url, kanro::app::MessageTarget* target = nullptr,
          const HttpLimits& limits = kListingPageLimits) {
    return HttpRequest(output_, {""}, url, "", target, url.c_str(), "GET", limits);
  }

  std::string Output() const { return ReadAll(output_); }

  // The positions reported after the range message, checking that every step
  // is between 1 and 1024 bytes.
  static std::vector<uintptr_t> Positions(const RecordingTarget& target) {
    std::vector<uintptr_t> positions;
    for (const auto& m : target.Messages(UM_PROGRESS)) {
      EXPECT_TRUE(m.sent);
      if (m.lParam == 0) positions.push_back(m.wParam);
    }
    uintptr_t previous = 0;
    for (uintptr_t p : positions) {
      EXPECT_GT(p, previous);
      EXPECT_LE(p - previous, 1024u);
      previous = p;
    }
    return positions;
  }

  TempDir dir_;
  std::filesystem::path output_ = dir_ / "out.htm";
  RecordingNotifier notifier_;
};

TEST_F(HttpRequestTest, SavesBodyAndReportsLengthThenEveryChunk) {
  const std::string body = Pattern(3000);
  LocalHttpServer server;
  server.server().Get("/page", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(body, "text/html");
  });
  server.Start();
  RecordingTarget target;

  EXPECT_EQ(Get(server.Url("/page"), &target), 3000);
  EXPECT_EQ(Output(), body);
  auto progress = target.Messages(UM_PROGRESS);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress[0].wParam, 0u);
  EXPECT_EQ(progress[0].lParam, 3000);
  EXPECT_EQ(Positions(target), (std::vector<uintptr_t>{1024, 2048, 3000}));
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, WithoutContentLengthOnlyPositionsAreReported) {
  const std::string body = Pattern(5000);
  LocalHttpServer server;
  server.server().Get("/chunked", [&](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/html", [&](size_t, httplib::DataSink& sink) {
      sink.write(body.data(), 1500);
      sink.write(body.data() + 1500, body.size() - 1500);
      sink.done();
      return true;
    });
  });
  server.Start();
  RecordingTarget target;

  EXPECT_EQ(Get(server.Url("/chunked"), &target), 5000);
  EXPECT_EQ(Output(), body);
  for (const auto& m : target.Messages(UM_PROGRESS)) EXPECT_EQ(m.lParam, 0);
  auto positions = Positions(target);
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.back(), 5000u);
}

TEST_F(HttpRequestTest, FollowsRedirectsAndAcceptsNotFoundWithItsBody) {
  LocalHttpServer server;
  server.server().Get("/old", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/new", 302);
    res.set_content("moved", "text/plain");
  });
  server.server().Get("/new", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("the new page", "text/html");
  });
  server.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("no such page", "text/html");
  });
  server.Start();

  EXPECT_EQ(Get(server.Url("/old")), 12);
  EXPECT_EQ(Output(), "the new page");
  EXPECT_EQ(Get(server.Url("/missing")), 12);
  EXPECT_EQ(Output(), "no such page");
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, RejectedStatusesShowTheirMessage) {
  struct Case {
    int status;
    std::string message;
  };
  const std::vector<Case> cases = {
      {400, Utf8ToCp932("不適切な要求です。")},
      {405, Utf8ToCp932("サーバーは要求された方式をサポートしていません。")},
      {500, Utf8ToCp932("サーバーの内部エラーです。")},
      {503, Utf8ToCp932("サーバーの一時的な過負荷あるいはメインテナンスのために、現在、リクエストを扱う"
                        "ことができません。\n時間を置いてから再度実行してください。")},
      // A status without a text of its own: a sentence naming the address
      // (put in front below), then the number and the reason phrase.
      {418, Utf8ToCp932(" の要求をサーバーが受け付けませんでした。\n") + "418\nI'm a teapot"},
  };
  LocalHttpServer server;
  server.server().Get(R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.status = std::stoi(req.matches[1]);
    res.set_content("error page", "text/html");
  });
  server.Start();

  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    notifier_.Clear();
    RecordingTarget target;
    EXPECT_EQ(Get(server.Url("/status/" + std::to_string(c.status)), &target), -1);
    const std::string url = server.Url("/status/" + std::to_string(c.status));
    EXPECT_EQ(notifier_.Warnings(), std::vector<std::string>{c.status == 418 ? url + c.message : c.message});
    EXPECT_EQ(target.Count(UM_PROGRESS), 0u);
    EXPECT_EQ(Output(), "");  // created and emptied, the error page not saved
  }
}

TEST_F(HttpRequestTest, SendsTheRequestAsComposed) {
  RawServer server([](RawConnection& c) { c.Write(RawServer::Response(200, "OK", "done")); });
  const std::string url = server.Url("/a/../b%20c/?q=%41&r=%2F");

  EXPECT_EQ(HttpRequest(output_, {"", "X-One: 1", "X-Two: 2\r\n", "X-One: again"}, url, "", nullptr,
                        "http://referer.example/", "GET"),
            4);
  EXPECT_EQ(HttpRequest(output_, {}, server.Url("/kanro/operate.php"), "RANK=10", nullptr, nullptr,
                        "POST"),
            4);

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  const RawRequest& get = requests[0];
  EXPECT_EQ(get.requestLine, "GET /a/../b%20c/?q=%41&r=%2F HTTP/1.1");
  EXPECT_EQ(get.Header("User-Agent"), "Mozilla/4.0 (compatible; MSIE 7.0; Windows NT 5.1)");
  EXPECT_EQ(get.Header("Referer"), "http://referer.example/");
  EXPECT_EQ(get.Header("X-One"), "1");
  EXPECT_EQ(get.HeaderCount("X-One"), 1);
  EXPECT_LT(get.HeaderIndex("X-One"), get.HeaderIndex("X-Two"));
  EXPECT_LT(get.HeaderIndex("X-Two"), get.HeaderIndex("Content-Type"));
  EXPECT_EQ(get.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(get.HeaderCount("Content-Length"), 0);
  EXPECT_EQ(get.body, "");
  for (const auto& line : get.headerLines) EXPECT_FALSE(line.empty());

  const RawRequest& post = requests[1];
  EXPECT_EQ(post.requestLine, "POST /kanro/operate.php HTTP/1.1");
  EXPECT_EQ(post.HeaderCount("Content-Type"), 1);
  EXPECT_EQ(post.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(post.Header("Content-Length"), "7");
  EXPECT_EQ(post.HeaderCount("Referer"), 0);
  EXPECT_EQ(post.HeaderCount("Expect"), 0);
  EXPECT_EQ(post.body, "RANK=10");
}

TEST_F(HttpRequestTest, BadUrlOrOutputFailsWithoutMessage) {
  for (const char* url : {"", "not a url", "127.0.0.1/page", "ftp://127.0.0.1/file", "http://"}) {
    SCOPED_TRACE(url);
    EXPECT_EQ(Get(url), -1);
  }
  EXPECT_FALSE(std::filesystem::exists(output_));

  RawServer server([](RawConnection& c) { c.Write(RawServer::Response(200, "OK", "body")); });
  output_ = dir_ / "no-such-folder" / "out.htm";
  EXPECT_EQ(Get(server.Url("/")), -1);
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, ProxyAuthenticationIsRetriedExactlyOnce) {
  RawServer refusing([](RawConnection& c) {
    c.Write(RawServer::Response(407, "Proxy Authentication Required", "login first"));
  });
  EXPECT_EQ(Get(refusing.Url("/")), -1);
  EXPECT_EQ(refusing.Requests().size(), 2u);
  EXPECT_EQ(notifier_.Warnings(),
            std::vector<std::string>{kanro::text::Utf8ToCp932("プロキシサーバーの認証に失敗しました。ユーザー名とパスワードを"
                                                              "確かめてください。\n407\nProxy Authentication Required")});
  EXPECT_EQ(Output(), "");

  notifier_.Clear();
  int seen = 0;
  RawServer relenting([&](RawConnection& c) {
    if (seen++ == 0)
      c.Write(RawServer::Response(407, "Proxy Authentication Required", "login first"));
    else
      c.Write(RawServer::Response(200, "OK", "welcome"));
  });
  EXPECT_EQ(Get(relenting.Url("/")), 7);
  EXPECT_EQ(Output(), "welcome");
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, CancelStopsAtTheNextChunkAndKeepsWhatWasWritten) {
  const std::string body = Pattern(64 * 1024);
  RawServer server([&](RawConnection& c) { c.Write(RawServer::Response(200, "OK", body)); });
  RecordingTarget target;
  target.onSend = [](const kanro::test::RecordedMessage& m) {
    if (m.message == UM_PROGRESS && m.wParam == 2048) g_bCancel.store(true);
    return intptr_t{0};
  };

  EXPECT_EQ(Get(server.Url("/"), &target), 0);
  EXPECT_EQ(Output(), body.substr(0, 2048));
  EXPECT_EQ(Positions(target), (std::vector<uintptr_t>{1024, 2048}));
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, CancelEndsAStalledTransfer) {
  RawServer server([](RawConnection& c) {
    c.Write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + std::string(1500, 'x'));
    c.StallUntilClosed();
  });
  RecordingTarget target;
  std::thread canceller([&] {
    // Once the first chunk before the stall has arrived, ask the transfer to stop.
    while (target.Messages(UM_PROGRESS).size() < 2) target.WaitFor(UM_PROGRESS, 100);
    g_bCancel.store(true);
  });

  EXPECT_EQ(Get(server.Url("/"), &target), 0);
  canceller.join();
  // Whole chunks only: the 476 bytes of the unfinished one are not written.
  EXPECT_EQ(Output(), std::string(1024, 'x'));
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, StalledOrTricklingServerIsBrokenOff) {
  setenv("KANRO_NET_TIMEOUT_SEC", "1", 1);
  RawServer silentHead([](RawConnection& c) { c.StallUntilClosed(); });
  RawServer silentBody([](RawConnection& c) {
    c.Write("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc");
    c.StallUntilClosed();
  });
  // Two bytes every 100 ms: never silent, far below 1 KiB/s.
  RawServer trickle([](RawConnection& c) {
    if (!c.Write("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
    while (c.Write("ab")) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  });
  // What arrived before the transfer was broken off stays in the file.
  const std::vector<std::pair<const RawServer*, std::string>> cases = {
      {&silentHead, ""}, {&silentBody, "abc"}, {&trickle, "abab"}};
  for (const auto& [server, start] : cases) {
    notifier_.Clear();
    const std::string url = server->Url("/page");
    EXPECT_EQ(Get(url), -1);
    EXPECT_EQ(notifier_.WarningsUtf8(),
              std::vector<std::string>{url + " からの受信が遅すぎるため中止しました（1 秒の平均が毎秒 1 KB 未満）。"});
    EXPECT_EQ(Output().substr(0, start.size()), start);
  }
}

TEST_F(HttpRequestTest, ASteadyTransferWithPausesIsNotBrokenOff) {
  setenv("KANRO_NET_TIMEOUT_SEC", "1", 1);
  // 2 KB every 250 ms for about two seconds: 8 KB/s on average.
  RawServer steady([](RawConnection& c) {
    if (!c.Write("HTTP/1.1 200 OK\r\nContent-Length: 16384\r\nConnection: close\r\n\r\n")) return;
    for (int i = 0; i < 8; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
      if (!c.Write(std::string(2048, 's'))) return;
    }
  });
  EXPECT_EQ(Get(steady.Url("/")), 16384);
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(HttpRequestTest, BodyOverTheCapIsRefused) {
  const HttpLimits small{4096, std::chrono::minutes(1)};
  LocalHttpServer server;
  server.server().Get(R"(/sized/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(Pattern(std::stoul(req.matches[1])), "text/html");
  });
  server.server().Get(R"(/unsized/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const size_t size = std::stoul(req.matches[1]);
    res.set_chunked_content_provider("text/html", [size](size_t, httplib::DataSink& sink) {
      const std::string body = Pattern(size);
      for (size_t at = 0; at < size; at += 1000) sink.write(body.data() + at, std::min<size_t>(1000, size - at));
      sink.done();
      return true;
    });
  });
  server.Start();

  // Exactly the cap passes, with or without an announced length.
  EXPECT_EQ(Get(server.Url("/sized/4096"), nullptr, small), 4096);
  EXPECT_EQ(Get(server.Url("/unsized/4096"), nullptr, small), 4096);
  EXPECT_TRUE(notifier_.Warnings().empty());

  for (const std::string& path : {std::string("/unsized/9000"), std::string("/sized/4097")}) {
    SCOPED_TRACE(path);
    notifier_.Clear();
    RecordingTarget target;
    EXPECT_EQ(Get(server.Url(path), &target, small), -1);
    EXPECT_EQ(notifier_.WarningsUtf8(),
              std::vector<std::string>{server.Url(path) + " の応答が大きすぎるため受信を中止しました（上限 4 KB）。"});
    EXPECT_LE(std::filesystem::file_size(output_), 4096u);
  }
  // An announced length over the cap is refused before anything is written.
  EXPECT_EQ(Output(), "");
}

TEST_F(HttpRequestTest, DeadlineEndsARequestThatNeverFinishes) {
  // 2 KB every 100 ms: fast enough never to count as a trickle.
  RawServer endless([](RawConnection& c) {
    if (!c.Write("HTTP/1.1 200 OK\r\nContent-Length: 100000000\r\n\r\n")) return;
    while (c.Write(std::string(2048, 'e'))) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  });
  const std::string url = endless.Url("/");
  EXPECT_EQ(Get(url, nullptr, HttpLimits{1LL << 30, std::chrono::seconds(2)}), -1);
  EXPECT_EQ(notifier_.WarningsUtf8(),
            std::vector<std::string>{url + " からの受信が 2 秒以内に終わらなかったため中止しました。"});
}

TEST_F(HttpRequestTest, RedirectLoopReportsTooManyRedirects) {
  LocalHttpServer server;
  server.server().Get("/loop", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/loop", 302);
  });
  server.Start();
  // A server that drops the connection after each redirect, without saying so.
  RawServer dropping([](RawConnection& c) {
    c.Write("HTTP/1.1 302 Found\r\nLocation: /again\r\nContent-Length: 0\r\n\r\n");
  });
  for (const std::string& url : {server.Url("/loop"), dropping.Url("/loop")}) {
    notifier_.Clear();
    EXPECT_EQ(Get(url), -1);
    EXPECT_EQ(notifier_.WarningsUtf8(),
              std::vector<std::string>{url + " は転送（リダイレクト）が多すぎるため取得できませんでした。"});
  }
}

TEST_F(HttpRequestTest, BrokenResponsesFailWithAMessage) {
  const std::vector<std::string> responses = {
      // Not HTTP at all.
      "\x01\x02garbage\r\n\r\n",
      // A status line without a number and headers without colons.
      "HTTP/1.1 OK\r\nfoo bar baz\r\n\r\nbody",
      // Closed without a byte.
      "",
  };
  for (const auto& response : responses) {
    SCOPED_TRACE(response.substr(0, 30));
    notifier_.Clear();
    RawServer server([&](RawConnection& c) { c.Write(response); });
    EXPECT_EQ(Get(server.Url("/")), -1);
    EXPECT_EQ(notifier_.Warnings().size(), 1u);
  }
}

TEST_F(HttpRequestTest, AHeaderLineTooLongForTheTransportSaysTheAnswerWasTooLarge) {
  RawServer server([](RawConnection& c) {
    c.Write("HTTP/1.1 200 OK\r\nX-Filler: " + std::string(200 * 1024, 'h') + "\r\nContent-Length: 2\r\n\r\nok");
  });
  const std::string url = server.Url("/");
  EXPECT_EQ(Get(url), -1);
  const auto warnings = notifier_.WarningsUtf8();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind(url + " からの応答が大きすぎるため受信できませんでした。\n27\n", 0), 0u) << warnings[0];
}

TEST_F(HttpRequestTest, TruncatedBodyKeepsTheBytesThatArrived) {
  RawServer server([](RawConnection& c) {
    c.Write("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" + std::string(3000, 'z'));
  });
  RecordingTarget target;
  EXPECT_EQ(Get(server.Url("/"), &target), -1);
  EXPECT_EQ(Output(), std::string(3000, 'z'));
  EXPECT_EQ(Positions(target), (std::vector<uintptr_t>{1024, 2048, 3000}));
  EXPECT_EQ(target.Messages(UM_PROGRESS).front().lParam, 5000);
  EXPECT_EQ(notifier_.Warnings().size(), 1u);
}

TEST_F(HttpRequestTest, UnusableNamedProxyIsReported) {
  WriteProfileInt("Network", "AccessType", 3);
  for (auto [address, port] : {std::pair{"", "8080"}, {"127.0.0.1", ""}, {"127.0.0.1", "80a"},
                               {"127.0.0.1", "70000"}, {"127.0.0.1", "0"}}) {
    SCOPED_TRACE(std::string(address) + ":" + port);
    notifier_.Clear();
    WriteProfileString("Network", "ProxyAddress", address);
    WriteProfileString("Network", "ProxyPort", port);
    EXPECT_EQ(Get("http://127.0.0.1:1/"), -1);
    auto warnings = notifier_.WarningsUtf8();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], std::string("プロキシサーバーの設定が正しくありません。\n") + address + ":" + port);
  }
}

TEST_F(HttpRequestTest, ConnectionRefusedShowsTheTransportText) {
  int port;
  {
    RawServer closed([](RawConnection&) {});
    port = closed.port();
  }
  EXPECT_EQ(Get("http://127.0.0.1:" + std::to_string(port) + "/"), -1);
  auto warnings = notifier_.Warnings();
  ASSERT_EQ(warnings.size(), 1u);
  // The sentence names the address; the number and curl's own text follow it.
  const std::string text = kanro::text::Cp932ToUtf8(warnings[0]);
  EXPECT_EQ(text.rfind("http://127.0.0.1:" + std::to_string(port) + "/ に接続できませんでした。", 0), 0u) << text;
  EXPECT_NE(text.find("\n7\n"), std::string::npos) << text;
}

TEST_F(HttpRequestTest, LargeBodyStreamsToTheFile) {
  constexpr size_t kSize = 50u * 1024 * 1024;
  const std::string block = Pattern(64 * 1024);
  LocalHttpServer server;
  server.server().Get("/big", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(kSize, "application/octet-stream",
                             [&](size_t offset, size_t length, httplib::DataSink& sink) {
                               size_t n = std::min(length, block.size() - offset % block.size());
                               sink.write(block.data() + offset % block.size(), n);
                               return true;
                             });
  });
  server.Start();

  struct Counter : kanro::app::MessageTarget {
    size_t sends = 0;
    uintptr_t last = 0;
    intptr_t Send(unsigned, uintptr_t w, intptr_t) override {
      ++sends;
      last = w;
      return 0;
    }
    void Post(unsigned, uintptr_t, intptr_t) override {}
  } counter;

  rusage before{};
  getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(Get(server.Url("/big"), &counter, HttpLimits{2 * kSize, std::chrono::minutes(10)}),
            static_cast<int>(kSize));
  rusage after{};
  getrusage(RUSAGE_SELF, &after);

  EXPECT_EQ(std::filesystem::file_size(output_), kSize);
  EXPECT_EQ(counter.sends, kSize / 1024 + 1);
  EXPECT_EQ(counter.last, kSize);
  // The body is never held whole: peak memory grows far less than its size.
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 20L * 1024) << "KB";
}

}  // namespace
