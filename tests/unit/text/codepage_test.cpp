#include <gtest/gtest.h>

#include "text/codepage.h"

namespace kanro::text {
namespace {

TEST(Codepage, JapaneseRoundTripsThroughCp932) {
  const std::string utf8 = "東京都【地上波】 ｱｲｳ ～①Ⅹ㈱ 表示ソ能";
  const std::string sjis = Utf8ToCp932(utf8);
  EXPECT_EQ(Cp932ToUtf8(sjis), utf8);
  // Known byte values: 東 = 93 8C, 表 = 95 5C (trail byte looks like a backslash),
  // half-width ｱ = B1.
  EXPECT_EQ(Utf8ToCp932("東").substr(0, 2), std::string("\x93\x8C"));
  EXPECT_EQ(Utf8ToCp932("表"), std::string("\x95\x5C"));
  EXPECT_EQ(Utf8ToCp932("ｱ"), std::string("\xB1"));
  EXPECT_EQ(Cp932ToWide("\x82\xA0"), U"あ");
}

TEST(Codepage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp932("a😀b한c"), "a?b?c");
  EXPECT_EQ(WideToCp932(U"x\U0001F600"), "x?");
}

TEST(Codepage, BrokenInputNeverCrashesAndKeepsAscii) {
  // A lead byte at the end, a lead byte followed by ASCII, undefined pairs.
  EXPECT_EQ(Cp932ToWide("ab\x82"), U"ab\u30FB");
  EXPECT_EQ(Cp932ToWide("\x82<b>"), U"\u30FB<b>");
  EXPECT_EQ(Cp932ToWide(std::string("\x85\x40", 2)).size(), 1u);
  // Invalid UTF-8: stray continuation, truncated sequence, overlong, surrogate.
  EXPECT_EQ(Utf8ToWide("a\x80z"), U"a\uFFFDz");
  EXPECT_EQ(Utf8ToWide("a\xE3\x81"), U"a\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), U"\uFFFD\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80").front(), U'\uFFFD');
  EXPECT_EQ(Utf8ToCp932("a\xFFz"), "a?z");
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_FALSE(Cp932ToWide(one).empty());
  }
}

TEST(Codepage, Utf8EncodesEveryPlane) {
  const std::u32string wide = U"a\u00E9\u3042\U0001F600";
  EXPECT_EQ(Utf8ToWide(WideToUtf8(wide)), wide);
  EXPECT_EQ(WideToUtf8(U"\u3042"), "\xE3\x81\x82");
}

}  // namespace
}  // namespace kanro::text

namespace kanro::text {
namespace {

TEST(Codepage, UndefinedSingleBytesSurviveARoundTrip) {
  const std::string bytes("a\x80" "b\xA0" "c\xFD\xFE\xFF", 8);
  EXPECT_EQ(Cp932ToWide(bytes), U"a\u0080b\uF8F0c\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(WideToCp932(Cp932ToWide(bytes)), bytes);
}

TEST(Codepage, WaveDashTakesTheCp932Form) {
  // U+301C has no CP932 code of its own; it is written as 81 60 and read back
  // as the full-width tilde, as on Windows.
  EXPECT_EQ(Utf8ToCp932("〜"), std::string("\x81\x60"));
  EXPECT_EQ(Cp932ToUtf8("\x81\x60"), "～");
}

}  // namespace
}  // namespace kanro::text
