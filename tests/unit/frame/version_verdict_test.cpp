// Version answers: what counts as newer, as up to date and as no answer.
#include <gtest/gtest.h>

#include <string>

#include "frame/version_verdict.h"
#include "support/temp_dir.h"

namespace {

using namespace kanro::frame;
using Kind = VersionVerdict::Kind;

TEST(VersionVerdictTest, NewerOnlyWithAHigherNumberAndASecondLine) {
  VersionVerdict newer = JudgeVersionAnswer("1.23", "124\r\nVersion 1.24 is out\r\n");
  EXPECT_EQ(newer.kind, Kind::Newer);
  EXPECT_EQ(newer.message, "Version 1.24 is out");
  EXPECT_EQ(JudgeVersionAnswer("1.23", "123\nsame\n").kind, Kind::UpToDate);
  EXPECT_EQ(JudgeVersionAnswer("1.23", "124").kind, Kind::UpToDate);      // no second line
  EXPECT_EQ(JudgeVersionAnswer("1.23", "124\n\r\n").kind, Kind::UpToDate);  // an empty one
  EXPECT_EQ(JudgeVersionAnswer("1.23", "1.30\nnew\n").kind, Kind::UpToDate);  // read as 1
  EXPECT_EQ(JudgeVersionAnswer("1.00", "99999999999999999999999\nnew").kind, Kind::Newer);
}

TEST(VersionVerdictTest, AFirstLineWithoutLeadingDigitIsNoAnswer) {
  for (const char* answer : {"", "\n124\nnew", " 124\nnew", "<html>error</html>\n", "v1.24\nnew"})
    EXPECT_EQ(JudgeVersionAnswer("1.00", answer).kind, Kind::NoAnswer) << answer;
}

TEST(VersionVerdictTest, TheMessageIsPlainTextCutToALength) {
  // CP932 "新版" survives; control characters go; a long line is cut on a character.
  VersionVerdict verdict = JudgeVersionAnswer("1.00", std::string("200\n\x90\x56\x94\xC5\t<b>x</b>\x07") + "\n");
  EXPECT_EQ(verdict.message, "新版<b>x</b>");
  std::string longLine(3000, '\x82');
  for (size_t i = 1; i < longLine.size(); i += 2) longLine[i] = '\xA0';  // "あ" x 1500
  VersionVerdict cut = JudgeVersionAnswer("1.00", "200\n" + longLine);
  EXPECT_EQ(cut.kind, Kind::Newer);
  EXPECT_EQ(cut.message.size(), kVersionMessageMaxChars * 3 + 3);  // "あ" and "…" are three bytes in UTF-8
}

TEST(VersionVerdictTest, TheFileIsDeletedWhateverItHeld) {
  kanro::test::TempDir dir;
  for (const char* answer : {"124\nnew\n", "garbage", ""}) {
    kanro::test::WriteAll(dir / "version.txt", answer);
    JudgeVersionFile("1.23", dir / "version.txt");
    EXPECT_FALSE(std::filesystem::exists(dir / "version.txt")) << answer;
  }
  EXPECT_EQ(JudgeVersionFile("1.23", dir / "missing.txt").kind, Kind::NoAnswer);
}

TEST(VersionVerdictTest, NumbersAreTheLeadingDigits) {
  EXPECT_EQ(OwnVersionNumber("1.00"), 100);
  EXPECT_EQ(OwnVersionNumber("5.16"), 516);
  EXPECT_EQ(OwnVersionNumber(""), 0);
  EXPECT_EQ(LeadingNumber("12ab"), 12);
}

}  // namespace
