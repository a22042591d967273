// The literal pre-test must never skip a line the pattern would match.
#include <gtest/gtest.h>

#include <string>

#include "listing/literal_prefix.h"
#include "text/regex.h"

namespace kanro::listing {
namespace {

std::string Literal(std::string_view pattern) { return RequiredLiteral<char>(pattern); }

TEST(LiteralPrefixTest, TakesThePlainStartOfThePattern) {
  EXPECT_EQ(Literal("/tv/img/icon/"), "/tv/img/icon/");
  EXPECT_EQ(Literal("alt=\".*?\""), "alt=\"");
  EXPECT_EQ(Literal("shinban.gif.*?>"), "shinban");
  EXPECT_EQ(Literal("^(<tr>)"), "");
  EXPECT_EQ(Literal("^<tr><th"), "<tr><th");
  // A quantified last character may be absent.
  EXPECT_EQ(Literal("ab*c"), "a");
  EXPECT_EQ(Literal("ab?"), "a");
  EXPECT_EQ(Literal("ab{0}"), "a");
  EXPECT_EQ(Literal("ab+"), "a");
  // Alternatives, escapes, classes and groups give nothing to test.
  EXPECT_EQ(Literal("abc|x"), "");
  EXPECT_EQ(Literal("(a|b)c"), "");
  EXPECT_EQ(Literal("\\d+"), "");
  EXPECT_EQ(Literal("[<]td"), "");
  EXPECT_EQ(Literal(""), "");
  EXPECT_EQ(RequiredLiteral<char32_t>(U"【新】.*"), U"【新】");
}

// Whenever a pattern matches a text, the text holds the pattern's literal.
TEST(LiteralPrefixTest, NeverRejectsAMatchingText) {
  const char* patterns[] = {"ab*c", "ab?c", "ab+c", "ab{0,2}c", "a.c", "ab|cd", "a(b|c)d", "^ab", "ab$",
                            "a\\.b", "a[b]c", "<td\\s+x", "x(?=y)", "(?:ab)*c"};
  const char* texts[] = {"ac", "abc", "abbc", "abd", "cd", "acd", "ab", "a.b", "<td  x", "xy", "c", "zzabc"};
  for (const char* pattern : patterns) {
    const text::Regex regex(pattern);
    ASSERT_TRUE(regex.valid()) << pattern;
    const std::string literal = Literal(pattern);
    for (const char* subject : texts) {
      if (regex.Contains(subject)) {
        EXPECT_NE(std::string(subject).find(literal), std::string::npos) << pattern << " " << subject;
      }
    }
  }
}

TEST(LiteralPrefixTest, FinderAgreesWithPlainSearch) {
  const std::string texts[] = {"", "<td", "<td align=\"right\"><a ", "x<td align=\"right\"><a y",
                               "<td align=\"right\">G</td>", "aaaaab", "abab<tabc<td al<td align=\"right\"><a "};
  for (const std::string literal : {"", "<", "<td", "<td align=\"right\"><a ", "aab", "abc<", "href=\"/"}) {
    const LiteralFinder finder(literal);
    for (const std::string& text : texts)
      EXPECT_EQ(finder.FoundIn(text), text.find(literal) != std::string::npos) << literal << " in " << text;
  }
  // Wide characters that share a low byte (U+3042 and U+0142) must not make
  // the search skip a match.
  const WideLiteralFinder wide(U"\u3042\u0142x\u3000");
  EXPECT_TRUE(wide.FoundIn(U"..\u0142\u3042\u0142x\u3000.."));
  EXPECT_FALSE(wide.FoundIn(U"..\u0142\u3042\u0142x\u3001.."));
  EXPECT_TRUE(WideLiteralFinder(U"\u3000\u3000\u3000").FoundIn(U"a\u3000\u0100\u3000\u3000\u3000"));
}

}  // namespace
}  // namespace kanro::listing
