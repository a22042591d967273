// kanro-cli download when the transfer goes wrong: stop signals mid-transfer,
// a killed process, a trickling server and an oversized page. Whatever
// happens, the good page stays byte for byte and no temporary file is left
// in Data/, Head/ or the temporary folder (TMPDIR points at a test folder).
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/listing_time.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "sites/sample_pages.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace kanro::test {
namespace {

namespace fs = std::filesystem;

class CliDownloadBoundsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileInt("Download", "WaitSec", 0);
    fs::create_directories(temp_);
    options_.env["TMPDIR"] = temp_.string();
    // Download one good page to protect.
    ProcessResult first = Download();
    ASSERT_EQ(first.exitCode, 0) << first.err;
    goodPage_ = ReadAll(DataPage());
    goodHead_ = ReadAll(data_.path() / "Head" / "08GooTv.htm");
    ASSERT_FALSE(goodPage_.empty());
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  std::vector<std::string> DownloadArgs() const {
    return {"--data-dir", data_.path().string(), "download", "--days", "1", "--programs", "08GooTv,"};
  }
  ProcessResult Download() { return RunKanroCli(DownloadArgs(), options_); }
  fs::path DataPage() const {
    return data_.path() / "Data" / (app::DateText(app::GetListingTime()) + "08GooTv.htm");
  }

  // Files in the temporary folder, and partial pages beside the pages.
  std::vector<fs::path> Leftovers() const {
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(temp_)) found.push_back(entry.path());
    for (const char* folder : {"Data", "Head"})
      for (const auto& entry : fs::directory_iterator(data_.path() / folder))
        if (entry.path().filename().string().find(".tmp") != std::string::npos) found.push_back(entry.path());
    return found;
  }
  void ExpectGoodPagesKept() const {
    EXPECT_EQ(ReadAll(DataPage()), goodPage_);
    EXPECT_EQ(ReadAll(data_.path() / "Head" / "08GooTv.htm"), goodHead_);
  }

  // Starts a download whose page arrives slowly, and returns once the raw
  // download is under way in the temporary folder.
  void StartSlowDownload(BackgroundProcess& run) {
    server_.SetChunkDelayMs(500);
    const size_t before = server_.Requests().size();
    ASSERT_TRUE(run.Start(KanroCliPath(), DownloadArgs(), options_));
    ASSERT_TRUE(server_.WaitForRequests(before + 1));
    for (int i = 0; i < 500 && fs::is_empty(temp_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(fs::is_empty(temp_));
  }

  ListingServer server_;
  TempDir data_{"kanro-bounds-data"};
  TempDir scratch_{"kanro-bounds-tmp"};
  fs::path temp_ = scratch_ / "tmp";
  ProcessOptions options_;
  std::string goodPage_;
  std::string goodHead_;
};

TEST_F(CliDownloadBoundsTest, StopSignalsMidTransferEndTheRunAndLeaveNoTemporaryFile) {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
    SCOPED_TRACE(signal);
    BackgroundProcess run;
    StartSlowDownload(run);
    kill(run.pid(), signal);
    EXPECT_EQ(run.Wait(30000), 1);  // ended through its own paths, not killed
    EXPECT_TRUE(Leftovers().empty());
    ExpectGoodPagesKept();
  }
}

TEST_F(CliDownloadBoundsTest, NextStartRemovesWhatAKilledProcessLeft) {
  BackgroundProcess run;
  StartSlowDownload(run);
  const long pid = run.pid();
  run.Stop(SIGKILL);
  // The raw download names its owner; plant a partial page of the same owner
  // and one of a process that still runs (this one).
  std::vector<fs::path> left = Leftovers();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].filename().string().rfind("tv" + std::to_string(pid) + "-", 0), 0u) << left[0];
  const fs::path partial = DataPage().string() + ".tmp" + std::to_string(pid) + "-0";
  const fs::path partialHead = data_.path() / "Head" / ("08GooTv.htm.tmp" + std::to_string(pid) + "-1-123456");
  const fs::path alive = data_.path() / "Data" / ("x.htm.tmp" + std::to_string(getpid()) + "-0");
  for (const fs::path& path : {partial, partialHead, alive}) WriteAll(path, "<html>half a pa");

  ProcessResult next = RunKanroCli({"--data-dir", data_.path().string(), "settings", "list"}, options_);
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(Leftovers(), std::vector<fs::path>{alive});
  ExpectGoodPagesKept();
}

TEST_F(CliDownloadBoundsTest, TricklingServerIsTimedOut) {
  // One 8 KB piece, then three seconds of silence per piece.
  server_.SetChunkDelayMs(3000);
  options_.env["KANRO_NET_TIMEOUT_SEC"] = "1";
  ProcessResult r = Download();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("からの受信が遅すぎるため中止しました"), std::string::npos) << r.err;
  ExpectGoodPagesKept();
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliDownloadBoundsTest, OversizedPageIsRefusedAndTheOldPageKept) {
  const std::vector<std::string> targets = server_.PageTargets();
  ASSERT_EQ(targets.size(), 1u);
  server_.ServeBody(targets[0], std::string(40u * 1024 * 1024, 'x'));
  ProcessResult r = Download();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("の応答が大きすぎるため受信を中止しました（上限 16 MB）。"), std::string::npos) << r.err;
  ExpectGoodPagesKept();
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliDownloadBoundsTest, ConvertAcceptsOnlyPrefecturesOneToFortySeven) {
  sites::SamplePageOptions options;
  options.locationCode = "047";
  const fs::path saved = scratch_ / "page.html";
  ASSERT_TRUE(sites::WriteSamplePage(saved, options));
  for (const char* entry : {"00GooTv", "48GooTv", "99GooTv"}) {
    ProcessResult r = RunKanroCli({"--data-dir", data_.path().string(), "convert", "--entry", entry, "--date",
                                   "20110309", saved.string()});
    EXPECT_EQ(r.exitCode, 1) << entry;
    EXPECT_NE(r.err.find("not a listing entry"), std::string::npos) << r.err;
  }
  ProcessResult ok = RunKanroCli({"--data-dir", data_.path().string(), "convert", "--entry", "47GooTv", "--date",
                                  "20110309", saved.string()});
  EXPECT_EQ(ok.exitCode, 0) << ok.err;
  EXPECT_TRUE(fs::exists(data_.path() / "Data" / "2011030947GooTv.htm"));
}

}  // namespace
}  // namespace kanro::test
