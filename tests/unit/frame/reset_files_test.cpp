// The reset command's file list: pages only when asked, the program's own
// files always, nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "frame/app_look.h"
#include "frame/reset_files.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::frame::RemoveFiles;
using kanro::frame::ResetFileList;
using kanro::test::TempDir;
using kanro::test::WriteAll;

class ResetFilesTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"Head", "Data", "Css", "Image"}) fs::create_directories(dir_ / folder);
    for (const char* file : {"Head/08GooTv.htm", "Data/2011030908GooTv.htm", "Data/notes.txt",
                             "Data/2011030908GooTv.html", "Css/default.css", "Image/watch.gif", "index.htm",
                             "Keyword.txt", "Replace.txt", "Kanro.css", "print.css"})
      WriteAll(dir_ / file, "x");
    fs::create_directories(dir_ / "Data" / "folder.htm");
  }
  TempDir dir_;
};

TEST_F(ResetFilesTest, WithPagesRemovesHeaderAndDataPagesThenTheProgramFiles) {
  std::vector<fs::path> files = ResetFileList(dir_.path(), true);
  std::vector<fs::path> expected = {dir_ / "Head/08GooTv.htm", dir_ / "Data/2011030908GooTv.htm",
                                    dir_ / "index.htm",        dir_ / "Keyword.txt",
                                    dir_ / "Replace.txt",      dir_ / "Kanro.css"};
  EXPECT_EQ(files, expected);
  RemoveFiles(files);
  for (const char* kept : {"Data/notes.txt", "Data/2011030908GooTv.html", "Css/default.css", "Image/watch.gif",
                           "print.css", "Head", "Data", "Data/folder.htm"})
    EXPECT_TRUE(fs::exists(dir_ / kept)) << kept;
  for (const fs::path& gone : expected) EXPECT_FALSE(fs::exists(gone)) << gone;
}

TEST_F(ResetFilesTest, WithoutPagesKeepsEveryPageAndMissingFilesAreNoError) {
  fs::remove(dir_ / "Kanro.css");
  std::vector<fs::path> files = ResetFileList(dir_.path(), false);
  EXPECT_EQ(files.size(), 4u);
  EXPECT_EQ(RemoveFiles(files), 3u);
  EXPECT_TRUE(fs::exists(dir_ / "Head/08GooTv.htm"));
  EXPECT_TRUE(fs::exists(dir_ / "Data/2011030908GooTv.htm"));
  EXPECT_EQ(ResetFileList(dir_ / "nowhere", true).size(), 4u);
}

TEST(AppLookTest, StoredLooksOutsideTheRangeFallBackToTheDefault) {
  EXPECT_EQ(kanro::frame::NormalizeLook(7), 214);
  EXPECT_EQ(kanro::frame::NormalizeLook(-1), 214);
  EXPECT_EQ(kanro::frame::NormalizeLook(220), 214);
  EXPECT_EQ(kanro::frame::NormalizeLook(219), 219);
  EXPECT_EQ(kanro::frame::NormalizeLook(210), 210);
  EXPECT_EQ(kanro::frame::NormalizeLook(218), 218);
}

}  // namespace
