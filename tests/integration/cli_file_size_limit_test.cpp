// kanro-cli under a file-size limit (ulimit -f): a write past the limit
// fails like any other write (exit 1, a message, the temporary file removed,
// the old file kept) instead of the process dying of SIGXFSZ.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
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

// 64 blocks of 512 bytes (/bin/sh counts in those): the start-up files and
// the settings fit, a listing page does not.
constexpr const char* kLimitBlocks = "64";

// Names in the folder (not below it) other than the ones given.
std::vector<std::string> OtherFiles(const fs::path& folder, const std::vector<std::string>& expected) {
  std::vector<std::string> others;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    if (std::find(expected.begin(), expected.end(), name) == expected.end()) others.push_back(name);
  }
  return others;
}

class CliFileSizeLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app::DeleteAllProfileValues();
    fs::create_directories(temp_.path());
    options_.env["TMPDIR"] = temp_.path().string();
  }
  void TearDown() override { app::DeleteAllProfileValues(); }

  // kanro-cli on the data folder, under the limit.
  ProcessResult LimitedCli(const std::vector<std::string>& args) {
    std::vector<std::string> shell = {"-c", std::string("ulimit -f ") + kLimitBlocks + "; exec \"$0\" \"$@\"",
                                      KanroCliPath().string(), "--data-dir", data_.path().string()};
    shell.insert(shell.end(), args.begin(), args.end());
    return RunProcess("/bin/sh", shell, options_);
  }
  ProcessResult Cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--data-dir", data_.path().string()});
    return RunKanroCli(args, options_);
  }
  static std::string Today() { return app::DateText(app::GetListingTime()); }

  TempDir data_{"kanro-cli-limit"};
  TempDir temp_{"kanro-cli-limit-tmp"};
  ProcessOptions options_;
};

TEST_F(CliFileSizeLimitTest, ConvertFailsAndKeepsThePageThatWasThere) {
  const fs::path saved = data_ / "saved.html";
  ASSERT_TRUE(sites::WriteSamplePage(saved, sites::SamplePageOptions{}));
  ASSERT_GT(fs::file_size(saved), 64u * 512);
  fs::create_directories(data_ / "Data");
  const fs::path page = data_ / "Data" / "2011030908GooTv.htm";
  WriteAll(page, "good page");

  const ProcessResult r = LimitedCli({"convert", "--entry", "08GooTv", "--date", "20110309", saved.string()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("に書き込めません"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll(page), "good page");
  EXPECT_EQ(OtherFiles(data_ / "Data", {"2011030908GooTv.htm"}), std::vector<std::string>{});
  EXPECT_EQ(OtherFiles(data_ / "Head", {"08GooTv.htm"}), std::vector<std::string>{});
}

TEST_F(CliFileSizeLimitTest, DownloadFailsAndLeavesNoRawDownloadOrPartialPage) {
  ListingServer server;
  server.PointSettingsHere();
  WriteProfileInt("Download", "WaitSec", 0);

  const ProcessResult r = LimitedCli({"download", "--days", "1", "--programs", "08GooTv,"});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("download failed"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("書き込めません"), std::string::npos) << r.err;
  EXPECT_EQ(OtherFiles(temp_.path(), {}), std::vector<std::string>{});
  EXPECT_EQ(OtherFiles(data_ / "Data", {}), std::vector<std::string>{});
}

TEST_F(CliFileSizeLimitTest, ExportFailsAndKeepsTheOutputThatWasThere) {
  const fs::path saved = data_ / "saved.html";
  sites::SamplePageOptions options;
  const std::string today = Today();
  options.year = std::stoi(today.substr(0, 4));
  options.month = std::stoi(today.substr(4, 2));
  options.day = std::stoi(today.substr(6, 2));
  ASSERT_TRUE(sites::WriteSamplePage(saved, options));
  ASSERT_EQ(Cli({"convert", "--entry", "08GooTv", "--date", today, saved.string()}).exitCode, 0);
  WriteProfileString("Download", "Programs", "08GooTv,");

  const fs::path out = temp_ / "guide.xml";
  WriteAll(out, "good file");
  const ProcessResult r = LimitedCli({"export", "xmltv", "--output", out.string()});
  EXPECT_EQ(r.exitCode, 1) << r.err;
  EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll(out), "good file");
  EXPECT_EQ(OtherFiles(temp_.path(), {"guide.xml"}), std::vector<std::string>{});

  // Without the limit it is written.
  const ProcessResult whole = Cli({"export", "xmltv", "--output", out.string()});
  EXPECT_EQ(whole.exitCode, 0) << whole.err;
  EXPECT_NE(ReadAll(out), "good file");
}

// A process killed mid-export leaves its temporary file beside the output;
// the next export to that output removes it, but not the file of an export
// that still runs.
TEST_F(CliFileSizeLimitTest, AnExportRemovesTheTemporaryFilesOfKilledExportsBesideItsOutput) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  waitpid(gone, nullptr, 0);
  const fs::path out = temp_ / "marks.ics";
  const fs::path stale = temp_ / ("marks.ics.tmp" + std::to_string(gone) + "-0-123456");
  const fs::path running = temp_ / ("marks.ics.tmp" + std::to_string(getpid()) + "-0-123456");
  const fs::path other = temp_ / ("other.ics.tmp" + std::to_string(gone) + "-0-123456");
  const fs::path notOurs = temp_ / ("marks.ics.tmp" + std::to_string(gone) + "-notes");
  for (const fs::path& file : {stale, running, other, notOurs}) WriteAll(file, "partial");

  const ProcessResult r = Cli({"export", "ical", "--output", out.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(running));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_TRUE(fs::exists(notOurs));
  EXPECT_TRUE(fs::exists(out));
}

}  // namespace
}  // namespace kanro::test
