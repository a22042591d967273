// "kanro /d" as a real process: it starts minimised, downloads at once and
// ends by itself, after a complete run and after a failed one, without
// opening the first-start settings sheet or any box that waits for a click.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ProcessOptions;
using kanro::test::RunProcess;

class UnattendedStartTest : public testing::Test {
 protected:
  void SetUp() override {
    kanro::app::DeleteAllProfileValues();
    server_.PointSettingsHere();
    WriteProfileString("Download", "Programs", "08GooTv,13YahooFm,");
    WriteProfileInt("Download", "Days", 2);
    WriteProfileInt("Download", "WaitSec", 0);
    // The settings were never confirmed: the sheet would open on a normal start.
    options_.env = {{"TMPDIR", tmp_.path().string()}, {"QT_QPA_PLATFORM", "offscreen"}};
    options_.timeoutMs = 60000;
  }

  kanro::test::ProcessResult Start() {
    return RunProcess(kanro::test::BinDir() / "kanro", {"--data-dir", data_.path().string(), "/d"}, options_);
  }

  size_t DataPages() const {
    size_t pages = 0;
    std::error_code error;
    for (fs::directory_iterator it(data_ / "Data", error), end; !error && it != end; it.increment(error))
      pages += it->path().extension() == ".htm";
    return pages;
  }

  kanro::test::ListingServer server_;
  kanro::test::TempDir tmp_{"kanro-unattended"};
  kanro::test::TempDir data_{"kanro-unattended-data"};
  ProcessOptions options_;
};

TEST_F(UnattendedStartTest, ClosesWithStatusZeroAfterACompleteRun) {
  kanro::test::ProcessResult result = Start();
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(server_.PagesServed(), 4u);
  EXPECT_EQ(DataPages(), 4u);
}

TEST_F(UnattendedStartTest, ClosesWithANonZeroStatusAfterAFailedRunAndReportsOnStderr) {
  server_.SetStatus(500);
  kanro::test::ProcessResult result = Start();
  EXPECT_NE(result.exitCode, 0);
  EXPECT_NE(result.exitCode, -1) << "killed by the timeout: the failed run left the program running";
  EXPECT_NE(result.err.find("kanro:"), std::string::npos) << result.err;
  EXPECT_EQ(DataPages(), 0u);
}

}  // namespace
