// kanro-cli download and convert end to end: a real kanro-cli process against
// the local listing server, in a temporary data folder, with the settings of
// this test process (the child inherits XDG_CONFIG_HOME).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"

extern char** environ;

namespace kanro::test {
namespace {

namespace fs = std::filesystem;

class CliDownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileInt("Download", "WaitSec", 0);
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  ProcessResult Cli(const fs::path& dataDir, std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", dataDir.string()});
    return RunKanroCli(args);
  }
  // The current listing date of this machine, as the child computes it.
  static std::string Today() { return app::DateText(app::GetListingTime()); }
  static std::string Tomorrow() { return app::DateText(app::GetListingTime() + 86400); }

  ListingServer server_;
  TempDir data_{"kanro-cli-data"};
};

TEST_F(CliDownloadTest, DownloadsTheGivenDaysAndEntriesAndReportsEachPage) {
  ProcessResult r = Cli(data_.path(), {"download", "--days", "2", "--programs", "08GooTv,13YahooAm,"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  for (const std::string& name : {Today() + "08GooTv", Today() + "13YahooAm", Tomorrow() + "08GooTv",
                                  Tomorrow() + "13YahooAm"}) {
    EXPECT_TRUE(fs::exists(data_.path() / "Data" / (name + ".htm"))) << name;
    EXPECT_NE(r.out.find("written: " + name), std::string::npos) << name;
  }
  EXPECT_TRUE(fs::exists(data_.path() / "Head" / "08GooTv.htm"));
  EXPECT_NE(r.out.find("東京都【地上波】を取得中"), std::string::npos) << "plain status lines when not a terminal";
  EXPECT_NE(r.out.find("download completed: 4 pages written"), std::string::npos);
  EXPECT_EQ(server_.PageTargets().size(), 4u);
}

TEST_F(CliDownloadTest, TakesDaysAndProgrammesFromTheSettingsUnlessGiven) {
  WriteProfileInt("Download", "Days", 1);
  WriteProfileString("Download", "Programs", "47YahooFm,");
  ProcessResult r = Cli(data_.path(), {"download"});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(server_.PageTargets(),
            std::vector<std::string>{"/listings/?&type=normal&a=62&s=1&t=FM&d=" + Today() +
                                     "&st=5&va=24&vb=1&vc=0&vd=0&ve=1"});
}

TEST_F(CliDownloadTest, ForceAndRenewHeadersActLikeTheProgramsCommands) {
  WriteProfileInt("Download", "KeepFresh", 0);
  ASSERT_EQ(Cli(data_.path(), {"download", "--days", "1", "--programs", "08GooTv,"}).exitCode, 0);
  ASSERT_EQ(server_.PageTargets().size(), 1u);
  const fs::path head = data_.path() / "Head" / "08GooTv.htm";
  WriteAll(head, "old header");

  // Existing pages are kept without --force.
  ProcessResult plain = Cli(data_.path(), {"download", "--days", "1", "--programs", "08GooTv,"});
  EXPECT_EQ(plain.exitCode, 0);
  EXPECT_EQ(server_.PageTargets().size(), 1u);
  EXPECT_NE(plain.out.find("0 pages written"), std::string::npos);

  // --force fetches again but keeps the header page.
  EXPECT_EQ(Cli(data_.path(), {"download", "--force", "--days", "1", "--programs", "08GooTv,"}).exitCode, 0);
  EXPECT_EQ(server_.PageTargets().size(), 2u);
  EXPECT_EQ(ReadAll(head), "old header");

  // --renew-headers forces the run and rewrites the header pages of its
  // entries only.
  WriteAll(data_.path() / "Head" / "13GooTv.htm", "another old header");
  EXPECT_EQ(Cli(data_.path(), {"download", "--renew-headers", "--days", "1", "--programs", "08GooTv,"}).exitCode, 0);
  EXPECT_EQ(server_.PageTargets().size(), 3u);
  EXPECT_NE(ReadAll(head), "old header");
  EXPECT_EQ(ReadAll(data_.path() / "Head" / "13GooTv.htm"), "another old header");
}

TEST_F(CliDownloadTest, FailuresAndBadArgumentsGiveTheirExitCodes) {
  server_.SetStatus(503);
  ProcessResult failed = Cli(data_.path(), {"download", "--days", "2", "--programs", "08GooTv,"});
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("download failed"), std::string::npos) << failed.err;
  EXPECT_EQ(server_.PageTargets().size(), 1u);

  EXPECT_EQ(Cli(data_.path(), {"download", "--days", "many"}).exitCode, 2);
  EXPECT_EQ(Cli(data_.path(), {"download", "--days"}).exitCode, 2);
  EXPECT_EQ(Cli(data_.path(), {"download", "--everything"}).exitCode, 2);
}

TEST_F(CliDownloadTest, ACutPageOrADownSiteKeepsThePagesAndIsNamedOnStderr) {
  ASSERT_EQ(Cli(data_.path(), {"download", "--days", "1", "--programs", "08GooTv,13YahooAm,"}).exitCode, 0);
  const fs::path data = data_.path() / "Data" / (Today() + "08GooTv.htm");
  const std::string good = ReadAll(data);
  const std::string head = ReadAll(data_.path() / "Head" / "08GooTv.htm");

  const std::string target = server_.PageTargets().front();
  const std::string page = sites::GenerateSamplePage(*sites::SampleOptionsForTarget(target));
  server_.ServeBody(target, page.substr(0, page.size() * 6 / 10));
  ProcessResult cut = Cli(data_.path(), {"download", "--force", "--days", "1", "--programs", "08GooTv,"});
  EXPECT_EQ(cut.exitCode, 1);
  EXPECT_NE(cut.err.find(Today() + "08GooTv failed: "), std::string::npos) << cut.err;
  EXPECT_NE(cut.err.find("東京都【地上波】：番組表が途中で切れています"), std::string::npos) << cut.err;
  EXPECT_EQ(cut.out.find("download completed"), std::string::npos);
  EXPECT_EQ(ReadAll(data), good);

  // Renewing header pages while the site is down leaves every header page.
  server_.Stop();
  ProcessResult down = Cli(data_.path(), {"download", "--renew-headers", "--days", "1", "--programs", "08GooTv,"});
  EXPECT_EQ(down.exitCode, 1);
  EXPECT_NE(down.err.find(Today() + "08GooTv failed: "), std::string::npos) << down.err;
  EXPECT_EQ(ReadAll(data_.path() / "Head" / "08GooTv.htm"), head);
  EXPECT_TRUE(fs::exists(data_.path() / "Head" / "13YahooAm.htm"));
  EXPECT_EQ(ReadAll(data), good);
}

TEST_F(CliDownloadTest, InterruptStopsTheRunWithExitCodeOne) {
  WriteProfileInt("Download", "WaitSec", 60);
  const fs::path out = data_.path() / "out.txt";
  const fs::path err = data_.path() / "err.txt";
  const std::string cli = KanroCliPath().string();
  const std::string dataDir = data_.path().string();
  std::vector<std::string> words = {cli, "--data-dir", dataDir, "download", "--days", "1", "--programs", "08GooTv,"};
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);

  // Wait until the run is in its courtesy wait, then press Ctrl+C.
  bool waiting = false;
  for (int i = 0; i < 600 && !waiting; ++i) {
    waiting = ReadAll(out).find("を取得中") != std::string::npos;
    if (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(waiting);
  kill(pid, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_NE(ReadAll(err).find("download cancelled"), std::string::npos) << ReadAll(err);
  EXPECT_TRUE(server_.PageTargets().empty());
}

TEST_F(CliDownloadTest, ConvertWritesTheSamePagesAsADownload) {
  ASSERT_EQ(Cli(data_.path(), {"download", "--days", "1", "--programs", "08GooTv,"}).exitCode, 0);

  sites::SamplePageOptions options;
  const std::string today = Today();
  options.year = std::stoi(today.substr(0, 4));
  options.month = std::stoi(today.substr(4, 2));
  options.day = std::stoi(today.substr(6, 2));
  TempDir other("kanro-cli-convert");
  const fs::path saved = other.path() / "saved page.html";
  ASSERT_TRUE(sites::WriteSamplePage(saved, options));

  ProcessResult r = Cli(other.path(), {"convert", "--entry", "08GooTv", "--date", today, saved.string()});
  ASSERT_EQ(r.exitCode, 0) << r.err;
  const std::string name = today + "08GooTv.htm";
  EXPECT_EQ(ReadAll(other.path() / "Data" / name), ReadAll(data_.path() / "Data" / name));
  EXPECT_EQ(ReadAll(other.path() / "Head" / "08GooTv.htm"), ReadAll(data_.path() / "Head" / "08GooTv.htm"));
  EXPECT_TRUE(server_.PageTargets().size() == 1u) << "convert never touches the network";
}

TEST_F(CliDownloadTest, ConvertRejectsBadInputInPlainWords) {
  const fs::path saved = data_.path() / "page.html";
  sites::SamplePageOptions options;
  options.typeKey = "YahooAm";
  options.locationCode = "23";
  ASSERT_TRUE(sites::WriteSamplePage(saved, options));

  ProcessResult date = Cli(data_.path(), {"convert", "--entry", "08YahooAm", "--date", "20110230", saved.string()});
  EXPECT_EQ(date.exitCode, 1);
  EXPECT_NE(date.err.find("not a date"), std::string::npos);
  ProcessResult entry = Cli(data_.path(), {"convert", "--entry", "08Radio", "--date", "20110309", saved.string()});
  EXPECT_EQ(entry.exitCode, 1);
  EXPECT_NE(entry.err.find("not a listing entry"), std::string::npos);
  ProcessResult missing =
      Cli(data_.path(), {"convert", "--entry", "08YahooAm", "--date", "20110309", (data_.path() / "none").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  EXPECT_EQ(Cli(data_.path(), {"convert", "--entry", "08YahooAm", saved.string()}).exitCode, 2);

  // A page without listing leaves the existing data page as it was.
  fs::create_directories(data_.path() / "Data");
  const fs::path existing = data_.path() / "Data" / "2011030908YahooAm.htm";
  WriteAll(existing, "good page");
  const fs::path empty = data_.path() / "empty.html";
  WriteAll(empty, "<html><body>no listing today</body></html>\n");
  ProcessResult nothing = Cli(data_.path(), {"convert", "--entry", "08YahooAm", "--date", "20110309", empty.string()});
  EXPECT_EQ(nothing.exitCode, 1);
  EXPECT_NE(nothing.err.find("番組表が見つかりません"), std::string::npos) << nothing.err;
  EXPECT_EQ(ReadAll(existing), "good page");
  // A page cut off inside the listing says so.
  const std::string whole = ReadAll(saved);
  const fs::path cut = data_.path() / "cut.html";
  WriteAll(cut, whole.substr(0, whole.size() / 2));
  ProcessResult cutOff = Cli(data_.path(), {"convert", "--entry", "08YahooAm", "--date", "20110309", cut.string()});
  EXPECT_EQ(cutOff.exitCode, 1);
  EXPECT_NE(cutOff.err.find("番組表が途中で切れています"), std::string::npos) << cutOff.err;
  EXPECT_EQ(ReadAll(existing), "good page");

  ProcessResult good = Cli(data_.path(), {"convert", "--entry", "08YahooAm", "--date", "20110309", saved.string()});
  EXPECT_EQ(good.exitCode, 0) << good.err;
  EXPECT_NE(ReadAll(existing), "good page");
}

}  // namespace
}  // namespace kanro::test
