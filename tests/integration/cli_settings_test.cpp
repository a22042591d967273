// kanro-cli settings end to end: separate processes share one settings file,
// text crosses in UTF-8 and is stored as CP932, mistakes get exit code 2.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/settings_store.h"
#include "net/base64.h"
#include "net/blowfish.h"
#include "support/process.h"
#include "support/raw_server.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ProcessResult;

class CliSettingsTest : public testing::Test {
 protected:
  void SetUp() override { kanro::app::DeleteAllProfileValues(); }

  ProcessResult Cli(std::vector<std::string> args, const kanro::test::ProcessOptions& options = {}) {
    args.insert(args.begin(), {"--data-dir", data_.path().string()});
    return kanro::test::RunKanroCli(args, options);
  }
  ProcessResult SetProxyPassword(const std::string& input) {
    kanro::test::ProcessOptions options;
    options.stdinText = input;
    return Cli({"settings", "set-proxy-password"}, options);
  }

  kanro::test::TempDir data_;
};

TEST_F(CliSettingsTest, ValuesSurviveBetweenProcessesInBothDirections) {
  ASSERT_EQ(Cli({"settings", "set", "Download", "ExistTerm", "∞"}).exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "--int", "Window", "TvProgramTypeIndex", "-1"}).exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "Download", "Programs", "08GooTv,13YahooFm,"}).exitCode, 0);

  ProcessResult got = Cli({"settings", "get", "Download", "ExistTerm"});
  EXPECT_EQ(got.exitCode, 0);
  EXPECT_EQ(got.out, "∞\n");
  // The program itself reads CP932 and the int as an int.
  EXPECT_EQ(GetProfileString("Download", "ExistTerm"), "\x81\x87");
  EXPECT_EQ(GetProfileInt("Window", "TvProgramTypeIndex", 0), -1);

  // Written here, read by the next process.
  ASSERT_TRUE(WriteProfileBinary("Network", "ProxyPass", std::string("\x00\xff\x10", 3)));
  ASSERT_TRUE(WriteProfileString("Watch", "20110309", "a\tb"));
  ProcessResult list = Cli({"settings", "list"});
  EXPECT_EQ(list.exitCode, 0);
  EXPECT_EQ(list.out,
            "Download\tExistTerm\tstring\t∞\n"
            "Download\tPrograms\tstring\t08GooTv,13YahooFm,\n"
            "Network\tProxyPass\tbinary\t(set)\n"
            "Watch\t20110309\tstring\ta\\tb\n"
            "Window\tTvProgramTypeIndex\tint\t-1\n");
  EXPECT_EQ(Cli({"settings", "get", "Network", "ProxyPass"}).out, "(set)\n");

  EXPECT_EQ(Cli({"settings", "delete", "Download", "Programs"}).exitCode, 0);
  ProcessResult absent = Cli({"settings", "get", "Download", "Programs"});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_EQ(absent.out, "");
  EXPECT_EQ(GetProfileString("Download", "Programs", "default"), "default");
}

TEST_F(CliSettingsTest, MistakesAreUsageErrors) {
  const std::vector<std::vector<std::string>> mistakes = {
      {"settings"},
      {"settings", "frobnicate"},
      {"settings", "get", "Download"},
      {"settings", "set", "Download", "Days"},
      {"settings", "set", "--int", "Download", "Days", "eight"},
      {"settings", "set", "--int", "Download", "Days", "99999999999"},
      {"settings", "get", "Down/load", "Days"},
      {"settings", "list", "extra"},
      {"no-such-command"},
      {"--no-such-option", "settings", "list"},
  };
  for (const auto& args : mistakes) {
    ProcessResult result = Cli(args);
    EXPECT_EQ(result.exitCode, 2) << args.back();
    EXPECT_NE(result.err.find("usage: kanro-cli"), std::string::npos) << args.back();
    EXPECT_EQ(result.out, "") << args.back();
  }
  EXPECT_EQ(kanro::test::RunKanroCli({}).exitCode, 2);
  EXPECT_EQ(kanro::test::RunKanroCli({"--data-dir"}).exitCode, 2);
  EXPECT_TRUE(kanro::app::ListProfileValues().empty());

  ProcessResult help = kanro::test::RunKanroCli({"help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("settings list"), std::string::npos);
}

// The settings live outside the data folder: one that cannot be used is
// named, but does not stop them.
TEST_F(CliSettingsTest, UnusableDataFolderIsNamedButTheSettingsStillWork) {
  kanro::test::WriteAll(data_ / "plain-file", "x");
  for (const fs::path& dir : {data_ / "plain-file", data_ / "plain-file" / "below"}) {
    ProcessResult result = kanro::test::RunKanroCli({"--data-dir", dir.string(), "settings", "set", "A", "B", "c"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("data folder"), std::string::npos) << result.err;
  }
  EXPECT_EQ(GetProfileString("A", "B", ""), "c");
}

// A data folder on a full file system: the settings are stored, and the old
// days' watch marks still go with the retention clean-up.
TEST_F(CliSettingsTest, AFullDataFolderDoesNotStopTheSettings) {
  const fs::path mount = data_ / "full";
  fs::create_directories(mount / "Data");
  const std::string command = "mount -t tmpfs -o size=64k tmpfs '" + mount.string() + "' 2>/dev/null";
  if (!kanro::test::RunsAsRoot() || std::system(command.c_str()) != 0) GTEST_SKIP() << "cannot mount a small tmpfs here";
  struct Unmount {
    std::string path;
    ~Unmount() { (void)std::system(("umount '" + path + "'").c_str()); }
  } unmount{mount.string()};
  fs::create_directories(mount / "Data");
  kanro::test::WriteAll(mount / "Data" / "2001010108GooTv.htm", "old");
  {
    std::FILE* fill = std::fopen((mount / "fill").c_str(), "wb");
    ASSERT_NE(fill, nullptr);
    const std::string block(4096, 'x');
    for (int i = 0; i < 64 && std::fwrite(block.data(), 1, block.size(), fill) == block.size(); ++i) std::fflush(fill);
    std::fclose(fill);
  }
  ASSERT_TRUE(WriteProfileString("Download", "ExistTerm", "1"));
  ASSERT_TRUE(WriteProfileString("Watch", "20010101", "000108GooTv,"));

  ProcessResult set = kanro::test::RunKanroCli({"--data-dir", mount.string(), "settings", "set", "A", "B", "c"});
  EXPECT_EQ(set.exitCode, 0) << set.err;
  EXPECT_NE(set.err.find("data folder"), std::string::npos) << set.err;
  EXPECT_EQ(GetProfileString("A", "B", ""), "c");
  EXPECT_EQ(GetProfileString("Watch", "20010101", "gone"), "gone");
  EXPECT_FALSE(fs::exists(mount / "Data" / "2001010108GooTv.htm"));
}

TEST_F(CliSettingsTest, EveryCommandFirstPreparesTheDataFolder) {
  fs::create_directories(data_ / "Data");
  kanro::test::WriteAll(data_ / "Data" / "2001010108GooTv.htm", "old");
  ASSERT_TRUE(WriteProfileString("Download", "ExistTerm", "1"));
  ASSERT_TRUE(WriteProfileString("Watch", "20010101", "0001 08GooTv,"));

  EXPECT_EQ(Cli({"settings", "get", "Download", "ExistTerm"}).out, "1\n");

  EXPECT_FALSE(fs::exists(data_ / "Data" / "2001010108GooTv.htm"));
  EXPECT_EQ(GetProfileString("Watch", "20010101", "gone"), "gone");
  for (const char* name : {"index.htm", "Replace.txt", "Keyword.txt", "Kanro.css", "Head", "Image/watch.gif"})
    EXPECT_TRUE(fs::exists(data_ / name)) << name;
}

TEST_F(CliSettingsTest, ProcessesWritingAtOnceLoseNoValue) {
  // The program and a scheduled kanro-cli may write at the same moment; each
  // write merges with what is on disk instead of replacing it.
  constexpr int kWrites = 8;
  auto writer = [this](const std::string& section) {
    for (int i = 0; i < kWrites; ++i)
      Cli({"settings", "set", "--int", section, "Key" + std::to_string(i), std::to_string(i)});
  };
  std::thread a(writer, "FileSize");
  std::thread b(writer, "Window");
  for (int i = 0; i < kWrites; ++i) WriteProfileInt("Download", ("Key" + std::to_string(i)).c_str(), i);
  a.join();
  b.join();
  for (const char* section : {"FileSize", "Window", "Download"})
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(GetProfileInt(section, ("Key" + std::to_string(i)).c_str(), -1), i) << section << i;
}

TEST_F(CliSettingsTest, CorruptSettingsFileGivesDefaultsAndIsRepaired) {
  ASSERT_TRUE(WriteProfileInt("Download", "Days", 3));
  fs::path file = kanro::app::ProfileLocation();
  kanro::test::WriteAll(file, std::string("\xff\xfe[Down\x00load\nDays=@Variant(\x7f)\n[[", 30));

  ProcessResult got = Cli({"settings", "get", "Download", "Days"});
  EXPECT_EQ(got.exitCode, 1);
  EXPECT_EQ(Cli({"settings", "set", "--int", "Download", "Days", "5"}).exitCode, 0);
  EXPECT_EQ(Cli({"settings", "get", "Download", "Days"}).out, "5\n");
}

TEST_F(CliSettingsTest, ProxyPasswordIsReadFromStandardInputStoredEncipheredAndNeverShown) {
  ProcessResult set = SetProxyPassword("S3cret!pw\n");
  ASSERT_EQ(set.exitCode, 0) << set.err;
  auto stored = GetProfileBinary("Network", "ProxyPass");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->size(), 16u);
  EXPECT_EQ(kanro::net::DecipherProxyPassword(*stored), "S3cret!pw");

  // A plain string for that key is refused and the stored value stays.
  ProcessResult plain = Cli({"settings", "set", "Network", "ProxyPass", "S3cret!pw"});
  EXPECT_EQ(plain.exitCode, 2);
  EXPECT_NE(plain.err.find("set-proxy-password"), std::string::npos) << plain.err;
  EXPECT_EQ(Cli({"settings", "set", "--int", "Network", "ProxyPass", "7"}).exitCode, 2);
  EXPECT_EQ(GetProfileBinary("Network", "ProxyPass"), stored);

  for (const ProcessResult& shown : {Cli({"settings", "list"}), Cli({"settings", "get", "Network", "ProxyPass"})}) {
    EXPECT_NE(shown.out.find("(set)"), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("S3cret"), std::string::npos);
  }

  // Text beyond ASCII is stored in CP932, as the network page stores it;
  // an empty line removes the password; no input at all changes nothing.
  ASSERT_EQ(SetProxyPassword("パスワード\r\n").exitCode, 0);
  EXPECT_EQ(kanro::net::DecipherProxyPassword(*GetProfileBinary("Network", "ProxyPass")),
            kanro::text::Utf8ToCp932("パスワード"));
  EXPECT_EQ(SetProxyPassword("").exitCode, 1);
  EXPECT_TRUE(GetProfileBinary("Network", "ProxyPass").has_value());
  ASSERT_EQ(SetProxyPassword("\n").exitCode, 0);
  EXPECT_FALSE(GetProfileBinary("Network", "ProxyPass").has_value());
}

TEST_F(CliSettingsTest, StoredProxyPasswordIsSentToTheProxy) {
  // The raw server plays the proxy: it sees the request with its credentials.
  kanro::test::RawServer proxy([](kanro::test::RawConnection& c) {
    c.Write(kanro::test::RawServer::Response(200, "OK", "through the proxy"));
  });
  ASSERT_EQ(SetProxyPassword("S3cret!pw\n").exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "--int", "Network", "AccessType", "3"}).exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "Network", "ProxyAddress", "127.0.0.1"}).exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "Network", "ProxyPort", std::to_string(proxy.port())}).exitCode, 0);
  ASSERT_EQ(Cli({"settings", "set", "Network", "ProxyUser", "user"}).exitCode, 0);

  ProcessResult fetched = Cli({"fetch", "http://listing.example/page", (data_ / "page.htm").string()});
  ASSERT_EQ(fetched.exitCode, 0) << fetched.err;
  EXPECT_EQ(kanro::test::ReadAll(data_ / "page.htm"), "through the proxy");
  auto requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET http://listing.example/page HTTP/1.1");
  EXPECT_EQ(requests[0].Header("Proxy-Authorization"), "Basic " + Base64Encode("user:S3cret!pw"));
}

TEST_F(CliSettingsTest, SettingsFileIsPrivateAndListEscapesNamesFromAHandEditedFile) {
  ASSERT_EQ(Cli({"settings", "set", "A", "B", "c"}).exitCode, 0);
  const fs::path file = kanro::app::ProfileLocation();
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

  kanro::test::WriteAll(file, "[Watch]\nline%0Aend=x\ntab%09key=y\n[Sec%09tion]\nk=a\\tb\n");
  ProcessResult list = Cli({"settings", "list"});
  EXPECT_EQ(list.out,
            "Sec\\ttion\tk\tstring\ta\\tb\n"
            "Watch\tline\\nend\tstring\tx\n"
            "Watch\ttab\\tkey\tstring\ty\n");
}

TEST_F(CliSettingsTest, StaleLockDoesNotStallAWrite) {
  ASSERT_EQ(Cli({"settings", "set", "A", "B", "c"}).exitCode, 0);
  kanro::test::WriteAll(kanro::app::ProfileLocation() + ".lock", "");
  kanro::test::ProcessOptions options;
  options.timeoutMs = 15000;  // turns a stall (about 30 s) into a failure
  EXPECT_EQ(Cli({"settings", "set", "A", "B", "d"}, options).exitCode, 0);
  EXPECT_EQ(GetProfileString("A", "B"), "d");
}

}  // namespace
