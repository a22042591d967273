// What killed processes leave behind: the names that tell their owner, and
// the start-up clean-up that removes only the files of processes that are gone.
#include "app/leftover_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/paths.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using kanro::test::TempDir;
using kanro::test::WriteAll;

// The id of a process that has just ended (and been reaped).
long DeadPid() {
  pid_t child = fork();
  if (child == 0) _exit(0);
  int status = 0;
  waitpid(child, &status, 0);
  return static_cast<long>(child);
}

TEST(LeftoverNamesTest, OnlyOurOwnPatternsNameAnOwner) {
  using kanro::app::PartialPageOwner;
  using kanro::app::RawDownloadOwner;
  EXPECT_EQ(RawDownloadOwner("tv4242-a1B2c3"), 4242);
  EXPECT_EQ(RawDownloadOwner(kanro::app::RawDownloadPrefix() + "XXXXXX"), static_cast<long>(getpid()));
  for (const char* name : {"tvAbC123", "tv4242-abc", "tv4242-abcdefg", "tv-abcdef", "xtv4242-abcdef", "tv4242_abcdef"})
    EXPECT_FALSE(RawDownloadOwner(name)) << name;

  EXPECT_EQ(PartialPageOwner("2011030908GooTv.htm.tmp4242-7"), 4242);
  EXPECT_EQ(PartialPageOwner("08GooTv.htm.tmp4242-0-123456"), 4242);
  for (const char* name : {"2011030908GooTv.htm", ".htm.tmp4242-1", "a.htm.tmp4242", "a.htm.tmp4242-", "a.htm.tmpx-1",
                           "a.htm.tmp4242-1-", "a.htm.tmp4242-1-2-3", "a.txt.tmp4242-1", "a.htm.tmp4242-1.bak"})
    EXPECT_FALSE(PartialPageOwner(name)) << name;
}

TEST(LeftoverNamesTest, ProcessRunsTellsTheLivingFromTheDead) {
  EXPECT_TRUE(kanro::app::ProcessRuns(static_cast<long>(getpid())));
  EXPECT_FALSE(kanro::app::ProcessRuns(DeadPid()));
  EXPECT_TRUE(kanro::app::ProcessRuns(0));  // never ours: never cleaned
}

TEST(LeftoverCleanupTest, RemovesOnlyFilesOfEndedProcesses) {
  TempDir data;
  TempDir temp;
  kanro::app::SetDataDir(data.path());
  fs::create_directories(kanro::app::DataFolder());
  fs::create_directories(kanro::app::HeadFolder());
  const char* savedTmp = std::getenv("TMPDIR");
  const std::string previousTmp = savedTmp ? savedTmp : "";
  setenv("TMPDIR", temp.path().c_str(), 1);

  const std::string dead = std::to_string(DeadPid());
  const std::string alive = std::to_string(getpid());
  const std::vector<fs::path> gone = {
      kanro::app::DataFolder() / ("2011030908GooTv.htm.tmp" + dead + "-3"),
      kanro::app::HeadFolder() / ("08GooTv.htm.tmp" + dead + "-0-654321"),
      temp.path() / ("tv" + dead + "-q7W9zX"),
  };
  const std::vector<fs::path> kept = {
      kanro::app::DataFolder() / "2011030908GooTv.htm",
      kanro::app::DataFolder() / ("2011030908GooTv.htm.tmp" + alive + "-3"),
      temp.path() / ("tv" + alive + "-q7W9zX"),
      temp.path() / "tvAbCdEf",  // another program's, or ours from before the pid in the name
      temp.path() / ("other" + dead + "-abcdef"),
  };
  for (const auto& path : gone) WriteAll(path, "partial");
  for (const auto& path : kept) WriteAll(path, "keep");
  // A folder with a leftover's name is not a leftover.
  const fs::path folder = temp.path() / ("tv" + dead + "-folder");
  fs::create_directories(folder);

  EXPECT_EQ(kanro::app::RemoveLeftoverFiles(), static_cast<int>(gone.size()));
  for (const auto& path : gone) EXPECT_FALSE(fs::exists(path)) << path;
  for (const auto& path : kept) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_TRUE(fs::is_directory(folder));

  if (savedTmp) setenv("TMPDIR", previousTmp.c_str(), 1);
  else unsetenv("TMPDIR");
}

}  // namespace
