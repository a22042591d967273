#include "text/character_reference.h"

#include <algorithm>
#include <cstdint>

#include "text/character_reference_table.h"

namespace kanro::text {
namespace {

constexpr bool IsAsciiAlphanumeric(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9');
}

int DigitValue(char32_t c, bool hex) {
  if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
  if (hex && c >= U'a' && c <= U'f') return static_cast<int>(c - U'a' + 10);
  if (hex && c >= U'A' && c <= U'F') return static_cast<int>(c - U'A' + 10);
  return -1;
}

// What browsers make of the numbers 0x80 to 0x9F: the Windows-1252
// characters there (0 where that code page has none).
constexpr char32_t kWindows1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178};

char32_t CharacterOfNumber(uint32_t value) {
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return U'\uFFFD';
  if (value >= 0x80 && value <= 0x9F && kWindows1252[value - 0x80] != 0) return kWindows1252[value - 0x80];
  return static_cast<char32_t>(value);
}

DecodedReference Numeric(std::u32string_view text) {
  // text starts with "&#".
  size_t at = 2;
  const bool hex = at < text.size() && (text[at] == U'x' || text[at] == U'X');
  if (hex) ++at;
  const size_t digitsStart = at;
  uint32_t value = 0;
  for (int digit; at < text.size() && (digit = DigitValue(text[at], hex)) >= 0; ++at) {
    value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    if (value > 0x10FFFF) value = 0x110000;  // stays out of range, never overflows
  }
  if (at == digitsStart) return {};  // "&#" or "&#x" without digits is text
  if (at < text.size() && text[at] == U';') ++at;
  DecodedReference decoded;
  decoded.length = at;
  decoded.characters[0] = CharacterOfNumber(value);
  decoded.count = 1;
  return decoded;
}

const NamedReference* FindName(std::string_view name) {
  const NamedReference* begin = kNamedReferences;
  const NamedReference* end = kNamedReferences + kNamedReferenceCount;
  const NamedReference* found =
      std::lower_bound(begin, end, name, [](const NamedReference& entry, std::string_view wanted) {
        return entry.Name() < wanted;
      });
  return found != end && found->Name() == name ? found : nullptr;
}

DecodedReference Named(std::u32string_view text, ReferenceContext context) {
  // The name's letters and digits, as ASCII; one more than the longest name
  // can hold tells a run too long for any name with a semicolon.
  char name[64];
  size_t run = 0;
  while (run < kLongestReferenceName && 1 + run < text.size() && IsAsciiAlphanumeric(text[1 + run])) {
    name[run] = static_cast<char>(text[1 + run]);
    ++run;
  }
  const bool runEnded = 1 + run >= text.size() || !IsAsciiAlphanumeric(text[1 + run]);
  const NamedReference* found = nullptr;
  size_t length = 0;
  if (runEnded && 1 + run < text.size() && text[1 + run] == U';') {
    name[run] = ';';
    found = FindName(std::string_view(name, run + 1));
    length = run + 2;
  }
  // Otherwise the longest legacy name the letters begin with ("&notin" is
  // "¬in" when "notin" has no semicolon).
  for (size_t size = std::min(run, kLongestLegacyReferenceName); !found && size >= 2; --size) {
    found = FindName(std::string_view(name, size));
    length = size + 1;
    if (found && context == ReferenceContext::kAttributeValue && length < text.size() &&
        (text[length] == U'=' || IsAsciiAlphanumeric(text[length])))
      return {};
  }
  if (!found) return {};
  DecodedReference decoded;
  decoded.length = length;
  decoded.characters[0] = found->first;
  decoded.characters[1] = found->second;
  decoded.count = found->second != 0 ? 2 : 1;
  return decoded;
}

}  // namespace

DecodedReference DecodeCharacterReference(std::u32string_view text, ReferenceContext context) {
  if (text.size() < 2 || text[0] != U'&') return {};
  if (text[1] == U'#') return Numeric(text);
  return Named(text, context);
}

}  // namespace kanro::text
