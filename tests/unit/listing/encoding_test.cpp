// UrlEncode and the EUC-JP line conversion, byte by byte.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "listing/euc_to_sjis.h"
#include "listing/url_encode.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

TEST(UrlEncodeTest, EncodesEachByteClassAsSpecified) {
  EXPECT_EQ(UrlEncode("a b"), "a+b");
  EXPECT_EQ(UrlEncode("~"), "%7E");
  EXPECT_EQ(UrlEncode("@AZaz09*-._"), "@AZaz09*-._");
  EXPECT_EQ(UrlEncode("[\\]^`{|}"), "%5B%5C%5D%5E%60%7B%7C%7D");
  EXPECT_EQ(UrlEncode("5:00/&=?\"%+"), "5%3A00%2F%26%3D%3F%22%25%2B");
  EXPECT_EQ(UrlEncode(std::string("\x82\xA0", 2)), "%82%A0");
  EXPECT_EQ(UrlEncode(std::string("x\x82", 2)), "x%82");
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(UrlEncode(std::string("\0", 1)), "%00");
}

TEST(UrlEncodeTest, LeadByteTakesItsTrailWhateverItIs) {
  // Trail bytes that are letters or a blank are still encoded with their lead.
  EXPECT_EQ(UrlEncode("\x93\x56\x8B\x43"), "%93%56%8B%43");  // 天気
  EXPECT_EQ(UrlEncode("\xE0\x20z"), "%E0%20z");
  EXPECT_EQ(UrlEncode("\xEF\x40"), "%EF%40");
  // 0xF0-0xFF and half-width katakana are single bytes: the next byte is
  // judged on its own.
  EXPECT_EQ(UrlEncode("\xF0" "A\xFC" "b"), "%F0A%FCb");
  EXPECT_EQ(UrlEncode("\xB1\xA0\xDF"), "%B1%A0%DF");
  EXPECT_EQ(UrlEncode("\x80\xA0 "), "%80%A0+");
}

TEST(EucToSjisTest, EveryHalfWidthKatakanaBecomesItsFullWidthForm) {
  // U+3000 and the full-width forms of 0xA1-0xDF in byte order.
  const std::u32string fullWidth =
      U"\u3000。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホ"
      U"マミムメモヤユヨラリルレロワン゛゜";
  ASSERT_EQ(fullWidth.size(), 64u);
  for (int c = 0xA0; c <= 0xDF; ++c) {
    const std::string euc = {'\x8E', static_cast<char>(c)};
    EXPECT_EQ(EucJpToCp932(euc), text::WideToCp932(fullWidth.substr(c - 0xA0, 1))) << "byte " << c;
  }
  // Voiced marks stay separate characters.
  EXPECT_EQ(EucJpToCp932("\x8E\xB6\x8E\xDE"), "\x83\x4A\x81\x4A");  // ｶﾞ -> カ゛
}

// Every JIS X 0208 pair agrees with the system's EUC-JP to CP932 conversion
// wherever that conversion has an answer.
TEST(EucToSjisTest, TwoByteCharactersMatchTheSystemConversion) {
  iconv_t cd = iconv_open("CP932", "EUC-JP");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int compared = 0;
  for (int row = 0xA1; row <= 0xFE; ++row) {
    for (int cell = 0xA1; cell <= 0xFE; ++cell) {
      char in[2] = {static_cast<char>(row), static_cast<char>(cell)};
      char out[8];
      char* inPtr = in;
      char* outPtr = out;
      size_t inLeft = 2;
      size_t outLeft = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) continue;
      if (sizeof out - outLeft != 2) continue;
      // The system maps a few symbols to other CP932 duplicates; the
      // arithmetic mapping must still decode to the same character.
      const std::string mine = EucJpToCp932(std::string(in, 2));
      const std::string system(out, 2);
      if (mine != system) {
        EXPECT_EQ(text::Cp932ToWide(mine), text::Cp932ToWide(system)) << std::hex << row << " " << cell;
      }
      ++compared;
    }
  }
  iconv_close(cd);
  EXPECT_GT(compared, 6800);
  // Hand-checked samples: あ, 漢, 朝, ー, the last cell of an odd and an even row.
  EXPECT_EQ(EucJpToCp932("\xA4\xA2\xB4\xC1\xC4\xAB\xA1\xBC"), "\x82\xA0\x8A\xBF\x92\xA9\x81\x5B");
  EXPECT_EQ(EucJpToCp932("\xB0\xFE\xB1\xFE"), "\x88\xFC\x89\x9E");
  EXPECT_EQ(EucJpToCp932("\xA1\xE0"), "\x81\x80");  // the step over 0x7F
}

TEST(EucToSjisTest, OtherBytesAndBrokenSequences) {
  const std::string ascii = "<td class=\"x\">\t5:00 ~</td>\x01\x7F";
  EXPECT_EQ(EucJpToCp932(ascii), ascii);
  EXPECT_EQ(EucJpToCp932(std::string("a\0b", 3)), std::string("a\0b", 3));
  // JIS X 0212: 0x8F is copied, the next two bytes are mapped as a pair.
  EXPECT_EQ(EucJpToCp932("\x8F\xB0\xA1"), "\x8F\x88\x9F");
  // Bytes 0x80-0x8D, 0x8F-0xA0 and 0xFF pass unchanged.
  EXPECT_EQ(EucJpToCp932("\x80\x8D\xA0\xFF"), "\x80\x8D\xA0\xFF");
  // 0x8E with a byte outside the katakana range: both dropped.
  EXPECT_EQ(EucJpToCp932("a\x8E\x41z"), "az");
  EXPECT_EQ(EucJpToCp932("a\x8E\xE0z"), "az");
  // A lead byte at the end of the line is dropped; nothing is read past it.
  EXPECT_EQ(EucJpToCp932("ab\xA4"), "ab");
  EXPECT_EQ(EucJpToCp932("ab\x8E"), "ab");
  EXPECT_EQ(EucJpToCp932("\xFE"), "");
  EXPECT_EQ(EucJpToCp932(""), "");
  // A lead byte takes the next byte whatever it is.
  EXPECT_EQ(EucJpToCp932("\xA4<"), "\x82\xBA");
}

}  // namespace
}  // namespace kanro::listing
