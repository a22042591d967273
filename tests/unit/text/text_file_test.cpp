#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"
#include "support/test_environment.h"
#include "text/text_file.h"

namespace kanro::text {
namespace {

using Lines = std::vector<std::string>;

TEST(TextFile, ReadingStripsLineEndsAndKeepsAnUnendedLastLine) {
  test::TempDir dir;
  test::WriteAll(dir / "a.txt", "one\r\ntwo\nthree");
  EXPECT_EQ(*ReadLines(dir / "a.txt"), (Lines{"one", "two", "three"}));
  test::WriteAll(dir / "b.txt", "one\r\n\r\n");
  EXPECT_EQ(*ReadLines(dir / "b.txt"), (Lines{"one", ""}));
  test::WriteAll(dir / "c.txt", "");
  EXPECT_EQ(*ReadLines(dir / "c.txt"), Lines{});
  test::WriteAll(dir / "d.txt", std::string("a\0b\nc", 5));
  EXPECT_EQ(*ReadLines(dir / "d.txt"), (Lines{std::string("a\0b", 3), "c"}));
  EXPECT_FALSE(ReadLines(dir / "missing.txt").has_value());
}

TEST(TextFile, LongLinesSurviveBufferBoundaries) {
  test::TempDir dir;
  const std::string longLine(200000, 'x');
  test::WriteAll(dir / "long.txt", longLine + "\r\n" + longLine);
  EXPECT_EQ(*ReadLines(dir / "long.txt"), (Lines{longLine, longLine}));
}

TEST(TextFile, WritingAsTextPutsCrLf) {
  test::TempDir dir;
  TextFileWriter writer;
  ASSERT_TRUE(writer.Open(dir / "w.txt"));
  writer.Write("a\nb\n");
  writer.WriteLine("c");
  writer.Write("d");
  ASSERT_TRUE(writer.Close());
  EXPECT_EQ(test::ReadAll(dir / "w.txt"), "a\r\nb\r\nc\r\nd");
}

TEST(TextFile, AtomicWriterLeavesTheOldFileUntilCommit) {
  test::TempDir dir;
  const auto target = dir / "page.htm";
  test::WriteAll(target, "old");
  {
    AtomicTextFileWriter writer;
    ASSERT_TRUE(writer.Open(target));
    writer.WriteLine("new");
    EXPECT_EQ(test::ReadAll(target), "old");
    // Dropped without commit: the old file stays, no temporary file is left.
  }
  EXPECT_EQ(test::ReadAll(target), "old");
  size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
  EXPECT_EQ(files, 1u);

  ASSERT_TRUE(WriteLines(target, {"x", "y"}));
  EXPECT_EQ(test::ReadAll(target), "x\r\ny\r\n");
}

TEST(TextFile, WritingIntoAReadOnlyFolderFailsCleanly) {
  if (test::RunsAsRoot()) GTEST_SKIP() << "root can write anywhere";
  test::TempDir dir;
  const auto target = dir / "keep.txt";
  test::WriteAll(target, "keep");
  chmod(dir.path().c_str(), 0555);
  EXPECT_FALSE(WriteLines(target, {"new"}));
  chmod(dir.path().c_str(), 0755);
  EXPECT_EQ(test::ReadAll(target), "keep");
}

}  // namespace
}  // namespace kanro::text
