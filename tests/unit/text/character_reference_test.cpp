// Character references decoded as browsers decode them, in page text and in
// attribute values.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "text/character_reference.h"
#include "text/character_reference_table.h"

namespace kanro::text {
namespace {

struct Case {
  std::u32string input;
  size_t length;         // 0: no reference, the '&' stays
  std::u32string decoded;
};

void Check(const Case& c, ReferenceContext context) {
  const DecodedReference got = DecodeCharacterReference(c.input, context);
  EXPECT_EQ(got.length, c.length);
  EXPECT_EQ(std::u32string(got.characters, got.count), c.length == 0 ? std::u32string() : c.decoded);
}

std::string Shown(const std::u32string& text) {
  std::string out;
  for (char32_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(CharacterReferenceTest, InTextAsABrowserReadsThem) {
  const Case cases[] = {
      {U"&amp;", 5, U"&"},
      {U"&hearts; x", 8, U"\u2665"},
      {U"&NotEqualTilde;", 15, U"\u2242\u0338"},  // one of the names of two characters
      {U"&CounterClockwiseContourIntegral;", 33, U"\u2233"},  // the longest name
      // Legacy names also count without the semicolon, also before letters.
      {U"&amp", 4, U"&"},
      {U"&AMP rest", 4, U"&"},
      {U"&copy2011", 5, U"\u00A9"},
      {U"&notit;", 4, U"\u00AC"},   // "notit;" is no name: the longest legacy one wins
      {U"&notin;", 7, U"\u2209"},
      {U"&ampfoo;", 4, U"&"},
      // Names without a semicolon that are not legacy ones, unknown names,
      // wrong case and lone ampersands stay literal.
      {U"&hearts", 0, U""},
      {U"&Hearts;", 0, U""},
      {U"&unknown;", 0, U""},
      {U"&;", 0, U""},
      {U"& amp;", 0, U""},
      {U"&", 0, U""},
      {U"&a", 0, U""},
      {U"&" + std::u32string(40, U'a') + U";", 0, U""},
      // Numbers: decimal and hex, with or without the semicolon.
      {U"&#39;", 5, U"'"},
      {U"&#x27;", 6, U"'"},
      {U"&#X6a;", 6, U"j"},
      {U"&#65B", 4, U"A"},
      {U"&#12354;", 8, U"\u3042"},
      {U"&#x1F600;", 9, U"\U0001F600"},
      // Numbers that name no character, however long.
      {U"&#99999999999;", 14, U"\uFFFD"},
      {U"&#x" + std::u32string(30, U'F') + U";", 34, U"\uFFFD"},
      {U"&#0;", 4, U"\uFFFD"},
      {U"&#xD800;", 8, U"\uFFFD"},
      {U"&#x110000;", 10, U"\uFFFD"},
      // 0x80 to 0x9F as Windows-1252 has them; its holes stay as they are.
      {U"&#150;", 6, U"\u2013"},
      {U"&#x80;", 6, U"\u20AC"},
      {U"&#x81;", 6, U"\u0081"},
      // "&#" without digits is text.
      {U"&#;", 0, U""},
      {U"&#x;", 0, U""},
      {U"&#xg;", 0, U""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Shown(c.input));
    Check(c, ReferenceContext::kText);
  }
}

TEST(CharacterReferenceTest, InAttributeValuesALegacyNameBeforeALetterDigitOrEqualsStaysLiteral) {
  const Case cases[] = {
      {U"&copy=2", 0, U""},
      {U"&copy2", 0, U""},
      {U"&notit;", 0, U""},
      {U"&copy;", 6, U"\u00A9"},
      {U"&copy &", 5, U"\u00A9"},
      {U"&amp;b=1", 5, U"&"},
      {U"&amp", 4, U"&"},
      {U"&#65B", 4, U"A"},  // numbers are decoded alike
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Shown(c.input));
    Check(c, ReferenceContext::kAttributeValue);
  }
}

TEST(CharacterReferenceTest, EveryNameOfTheTableIsFoundByItself) {
  ASSERT_EQ(kNamedReferenceCount, 2231u);
  EXPECT_TRUE(std::is_sorted(kNamedReferences, kNamedReferences + kNamedReferenceCount,
                             [](const NamedReference& a, const NamedReference& b) { return a.Name() < b.Name(); }));
  size_t legacy = 0;
  for (size_t i = 0; i < kNamedReferenceCount; ++i) {
    const NamedReference& entry = kNamedReferences[i];
    const std::string name(entry.Name());
    SCOPED_TRACE(name);
    if (name.back() != ';') ++legacy;
    // Followed by a blank, so a legacy name is taken as itself.
    std::u32string input = U"&";
    for (char c : name) input += static_cast<char32_t>(c);
    input += U' ';
    const DecodedReference got = DecodeCharacterReference(input);
    ASSERT_EQ(got.length, name.size() + 1);
    EXPECT_EQ(got.characters[0], entry.first);
    EXPECT_EQ(got.count, entry.second != 0 ? 2u : 1u);
  }
  EXPECT_EQ(legacy, 106u);
}

}  // namespace
}  // namespace kanro::text
