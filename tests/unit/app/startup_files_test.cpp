// Start-up on a data folder: the default files byte for byte, and files that
// already exist are never touched.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "app/auto_download.h"
#include "app/default_files.h"
#include "app/frameset_page.h"
#include "app/paths.h"
#include "app/startup.h"
#include "app/version.h"
#include "support/recorders.h"
#include "support/temp_dir.h"
#include "support/test_environment.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::ReadAll;
using kanro::test::WriteAll;

const char kIndex[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Frameset//EN\">\r\n"
    "<html lang=\"ja\">\r\n"
    "<head>\r\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">\r\n"
    "</head>\r\n"
    "<frameset rows=\"49,*\" border=\"0\" frameborder=\"0\" framespacing=\"0\">\r\n"
    "  <frame name=\"head\" src=\"#\" scrolling=\"no\">\r\n"
    "  <frame name=\"data\" src=\"#\">\r\n"
    "</frameset>\r\n"
    "</html>";

// Every regular file below a folder with its bytes, by relative path.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    std::string name = fs::relative(entry.path(), root).generic_string();
    files[name] = entry.is_directory() ? "<dir>" : ReadAll(entry.path());
  }
  return files;
}

fs::path ShippedRes() {
  const char* source = std::getenv("KANRO_SOURCE_DIR");
  return fs::path(source ? source : "") / "res";
}

class StartupFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    if (kanro::test::SourceDir().empty()) GTEST_SKIP() << "KANRO_SOURCE_DIR names the source tree";
    kanro::app::SetShippedDir(ShippedRes());
    kanro::app::SetDataDir(dir_.path());
  }
  kanro::test::TempDir dir_;
};

TEST_F(StartupFilesTest, FreshStartCreatesExactlyTheDefaultFiles) {
  std::string reason;
  ASSERT_TRUE(kanro::app::PrepareDataFolder(&reason)) << reason;

  const std::string defaultCss = ReadAll(ShippedRes() / "Css" / "default.css");
  std::map<std::string, std::string> expected = {
      {"Data", "<dir>"},
      {"Head", "<dir>"},
      {"Css", "<dir>"},
      {"Image", "<dir>"},
      {"Kanro.css", defaultCss},
      {"index.htm", kIndex},
      {"Replace.txt", kanro::text::Utf8ToCp932(
                          "alt=\".*?\"\t\t1\r\n"
                          "shinban.gif.*?>(.*?)</strong>..*?</a>\t$0<span style=\"display: none;\">【新】$1</span>\t1\r\n")},
      {"Keyword.txt", "\x81\x79\x90\x56\x81\x7a.*"},  // 【新】.* in CP932, no line end
  };
  for (const auto& entry : fs::directory_iterator(ShippedRes() / "Css"))
    expected["Css/" + entry.path().filename().string()] = ReadAll(entry.path());
  for (const auto& entry : fs::directory_iterator(ShippedRes() / "Image"))
    expected["Image/" + entry.path().filename().string()] = ReadAll(entry.path());

  auto first = Snapshot(dir_.path());
  EXPECT_EQ(first, expected);
  EXPECT_NE(defaultCss.find("@explanation"), std::string::npos);

  // A second start finds everything in place and changes nothing.
  ASSERT_TRUE(kanro::app::PrepareDataFolder(&reason));
  EXPECT_EQ(Snapshot(dir_.path()), first);
}

TEST_F(StartupFilesTest, ExistingFilesEvenEmptyOnesAreNeverRewritten) {
  WriteAll(dir_ / "Replace.txt", "");
  WriteAll(dir_ / "Keyword.txt", "");
  WriteAll(dir_ / "index.htm", "<html>mine</html>");
  WriteAll(dir_ / "Kanro.css", "body{}");
  fs::create_directory(dir_ / "Css");  // the user's own stylesheets only
  WriteAll(dir_ / "Css" / "mine.css", "/* mine */");

  kanro::app::CreateDefaultFiles();

  EXPECT_EQ(ReadAll(dir_ / "Replace.txt"), "");
  EXPECT_EQ(ReadAll(dir_ / "Keyword.txt"), "");
  EXPECT_EQ(ReadAll(dir_ / "index.htm"), "<html>mine</html>");
  EXPECT_EQ(ReadAll(dir_ / "Kanro.css"), "body{}");
  EXPECT_FALSE(fs::exists(dir_ / "Css" / "default.css"));
  EXPECT_TRUE(fs::is_directory(dir_ / "Data"));
  EXPECT_TRUE(fs::is_directory(dir_ / "Image"));
}

TEST_F(StartupFilesTest, MissingStylesheetComesFromTheDataFoldersOwnCss) {
  fs::create_directory(dir_ / "Css");
  WriteAll(dir_ / "Css" / "default.css", "/* local */\r\n");
  kanro::app::CreateDefaultFiles();
  EXPECT_EQ(ReadAll(dir_ / "Kanro.css"), "/* local */\r\n");
}

TEST_F(StartupFilesTest, FramesetPageFailureWarnsAndLeavesNoFile) {
  kanro::test::RecordingNotifier notifier;
  fs::path target = dir_ / "missing-folder" / "index.htm";
  EXPECT_FALSE(kanro::app::CreateIndex(target));
  EXPECT_FALSE(fs::exists(target));
  EXPECT_EQ(notifier.Warnings().size(), 1u);

  ASSERT_TRUE(kanro::app::CreateIndex(dir_ / "index.htm"));
  EXPECT_EQ(ReadAll(dir_ / "index.htm"), kIndex);
}

TEST_F(StartupFilesTest, UnusableDataFolderIsReportedNotCreated) {
  WriteAll(dir_ / "file", "x");
  kanro::app::SetDataDir(dir_ / "file");
  std::string reason;
  EXPECT_FALSE(kanro::app::PrepareDataFolder(&reason));
  EXPECT_NE(reason.find("file"), std::string::npos) << reason;
  kanro::app::SetDataDir(dir_ / "file" / "below");
  EXPECT_FALSE(kanro::app::PrepareDataFolder(&reason));
}

TEST(DataDirTest, CommandLineBeatsEnvironmentBeatsExecutableFolder) {
  kanro::test::TempDir a, b;
  setenv("KANRO_DATA_DIR", b.path().c_str(), 1);
  std::vector<std::string> args = {"/d", "--data-dir", a.path().string(), "x"};
  EXPECT_EQ(kanro::app::ResolveDataDir(args, nullptr), a.path() / "");
  EXPECT_EQ(args, (std::vector<std::string>{"/d", "x"}));
  args = {"--data-dir=" + a.path().string()};
  EXPECT_EQ(kanro::app::ResolveDataDir(args, nullptr), a.path() / "");
  EXPECT_TRUE(args.empty());
  EXPECT_EQ(kanro::app::ResolveDataDir(args, nullptr), b.path() / "");
  unsetenv("KANRO_DATA_DIR");
  EXPECT_EQ(kanro::app::ResolveDataDir(args, nullptr), kanro::app::ExecutableDir(nullptr));
}

TEST(DownloadSwitchTest, OnlyTheExactSwitchCounts) {
  using kanro::app::HasDownloadSwitch;
  EXPECT_TRUE(HasDownloadSwitch({"/d"}));
  EXPECT_TRUE(HasDownloadSwitch({"--data-dir", "/tmp/x", "--download"}));
  // Paths begin with "/" here: "/data/x" or "/dev/null" must not start a download.
  EXPECT_FALSE(HasDownloadSwitch({"--data-dir", "/data/x"}));
  EXPECT_FALSE(HasDownloadSwitch({"/dev/null"}));
  EXPECT_FALSE(HasDownloadSwitch({"/D"}));
  EXPECT_FALSE(HasDownloadSwitch({}));
}

TEST(VersionTest, FormatsMajorMinorAndPatch) {
  char expected[32];
  std::snprintf(expected, sizeof expected, "%d.%d%d", KANRO_VERSION_MAJOR, KANRO_VERSION_MINOR, KANRO_VERSION_PATCH);
  EXPECT_EQ(kanro::app::GetVersionString(), expected);
}

}  // namespace
