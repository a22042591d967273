// The access modes against a real proxy: tinyproxy with basic
// authentication, started by the test on a free loopback port.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_store.h"
#include "net/blowfish.h"
#include "net/http_request.h"
#include "support/local_http_server.h"
#include "support/loopback_port.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"

extern char** environ;

namespace {

using kanro::test::FreeLoopbackPort;
using kanro::test::LocalHttpServer;
using kanro::test::ReadAll;
using kanro::test::RecordingNotifier;
using kanro::test::TempDir;
using kanro::test::WriteAll;

constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";

bool Accepts(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// tinyproxy in the foreground with "user"/"pass" required.
class Tinyproxy {
 public:
  explicit Tinyproxy(const TempDir& dir) {
    port_ = FreeLoopbackPort();
    const auto config = dir / "tinyproxy.conf";
    WriteAll(config, "Port " + std::to_string(port_) +
                         "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
                         "Allow 127.0.0.1\nBasicAuth user pass\nLogLevel Critical\n");
    std::string program = kTinyproxy, foreground = "-d", configFlag = "-c", configPath = config.string();
    char* argv[] = {program.data(), foreground.data(), configFlag.data(), configPath.data(), nullptr};
    if (posix_spawn(&pid_, kTinyproxy, nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    // Ready when it accepts connections; give up after about ten seconds.
    for (int i = 0; pid_ > 0 && i < 1000 && !Accepts(port_); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ~Tinyproxy() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
  bool running() const { return pid_ > 0 && Accepts(port_); }
  int port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

class TinyproxyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!kanro::test::IsInstalled(kTinyproxy)) GTEST_SKIP() << "tinyproxy is not installed";
    for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
      unsetenv(name);
    kanro::app::DeleteAllProfileValues();
    proxy_ = std::make_unique<Tinyproxy>(dir_);
    ASSERT_TRUE(proxy_->running());
    server_.server().Get("/page", [this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard lock(mutex_);
      vias_.push_back(req.get_header_value("Via"));
      res.set_content("listing page", "text/html");
    });
    server_.Start();
  }
  void TearDown() override {
    unsetenv("http_proxy");
    kanro::app::DeleteAllProfileValues();
  }

  void UseNamedProxy(const std::string& password) {
    WriteProfileInt("Network", "AccessType", 3);
    WriteProfileString("Network", "ProxyAddress", "127.0.0.1");
    WriteProfileString("Network", "ProxyPort", std::to_string(proxy_->port()));
    WriteProfileString("Network", "ProxyUser", "user");
    WriteProfileBinary("Network", "ProxyPass", kanro::net::EncipherProxyPassword(password));
  }
  void SetEnvironmentProxy(const std::string& credentials) {
    setenv("http_proxy", ("http://" + credentials + "127.0.0.1:" + std::to_string(proxy_->port())).c_str(), 1);
  }
  int Get() {
    const std::string url = server_.Url("/page");
    return HttpRequest(output_, {""}, url, "", nullptr, url.c_str(), "GET");
  }
  // The Via headers the server saw, one per request ("" for a direct one).
  std::vector<std::string> Vias() {
    std::lock_guard lock(mutex_);
    return vias_;
  }

  TempDir dir_;
  std::filesystem::path output_ = dir_ / "out.htm";
  std::unique_ptr<Tinyproxy> proxy_;
  LocalHttpServer server_;
  RecordingNotifier notifier_;
  std::mutex mutex_;
  std::vector<std::string> vias_;
};

TEST_F(TinyproxyTest, NamedProxyWithStoredPasswordFetchesThroughIt) {
  UseNamedProxy("pass");
  EXPECT_EQ(Get(), 12);
  EXPECT_EQ(ReadAll(output_), "listing page");
  auto vias = Vias();
  ASSERT_EQ(vias.size(), 1u);
  EXPECT_NE(vias[0].find("tinyproxy"), std::string::npos) << vias[0];
  EXPECT_TRUE(notifier_.Warnings().empty());
}

TEST_F(TinyproxyTest, RefusedCredentialsEndInAMessage) {
  // This proxy answers a wrong password with 401 and a missing one with 407;
  // the latter is retried once before its message.
  UseNamedProxy("wrong");
  EXPECT_EQ(Get(), -1);
  WriteProfileBinary("Network", "ProxyPass", "");
  EXPECT_EQ(Get(), -1);
  EXPECT_TRUE(Vias().empty());
  // Each message: a sentence, then the status and its reason phrase.
  std::vector<std::string> numbered;
  for (const std::string& warning : notifier_.Warnings()) numbered.push_back(warning.substr(warning.find('\n') + 1));
  EXPECT_EQ(numbered, (std::vector<std::string>{"401\nUnauthorized", "407\nProxy Authentication Required"}));
}

TEST_F(TinyproxyTest, DirectModeBypassesTheEnvironmentProxy) {
  UseNamedProxy("pass");
  WriteProfileInt("Network", "AccessType", 1);
  SetEnvironmentProxy("user:pass@");
  EXPECT_EQ(Get(), 12);
  EXPECT_EQ(Vias(), std::vector<std::string>{""});
}

TEST_F(TinyproxyTest, SystemModeUsesTheEnvironmentProxy) {
  WriteProfileInt("Network", "AccessType", 0);
  SetEnvironmentProxy("user:pass@");
  EXPECT_EQ(Get(), 12);
  auto vias = Vias();
  ASSERT_EQ(vias.size(), 1u);
  EXPECT_NE(vias[0].find("tinyproxy"), std::string::npos);
}

}  // namespace
