#pragma once
// HTML character references ("&amp;", "&hearts;", "&#39;", "&#x27;", and the
// legacy "&amp" without a semicolon), decoded as a browser decodes them.
#include <cstddef>
#include <string_view>

namespace kanro::text {

// Where the reference stands. In an attribute value a legacy name without its
// semicolon that an ASCII letter, digit or "=" follows stays literal
// ("?a=1&copy=2" keeps "&copy"); in text it is decoded ("&copy2" is "©2").
enum class ReferenceContext { kText, kAttributeValue };

struct DecodedReference {
  size_t length = 0;            // characters of the reference; 0: none here, the '&' is literal
  char32_t characters[2] = {};  // what it stands for: one character, a few names two
  size_t count = 0;
};

// The reference that starts at text[0] == '&', by the longest name known
// (every HTML named reference). Numeric references need no semicolon;
// numbers that name no character (0, surrogates, beyond U+10FFFF, however
// long) give U+FFFD, and 0x80 to 0x9F the characters of Windows-1252 there.
DecodedReference DecodeCharacterReference(std::u32string_view text,
                                          ReferenceContext context = ReferenceContext::kText);

}  // namespace kanro::text
