#include "text/character_reference.h"

#include <cstdint>

namespace kanro::text {

size_t DecodeCharacterReference(std::u32string_view text, char32_t* out) {
  struct Named {
    std::u32string_view name;
    char32_t c;
  };
  static constexpr Named kNamed[] = {{U"amp", U'&'},  {U"lt", U'<'},    {U"gt", U'>'},
                                     {U"quot", U'"'}, {U"apos", U'\''}, {U"nbsp", U'\u00A0'},
                                     {U"copy", U'\u00A9'}, {U"reg", U'\u00AE'}, {U"yen", U'\u00A5'}};
  if (text.empty() || text[0] != U'&') return 0;
  size_t end = 1;
  while (end < text.size() && end < 12 && text[end] != U';') ++end;
  if (end >= text.size() || text[end] != U';' || end == 1) return 0;
  std::u32string_view body = text.substr(1, end - 1);
  if (body[0] == U'#') {
    uint32_t value = 0;
    bool hex = body.size() > 1 && (body[1] == U'x' || body[1] == U'X');
    size_t i = hex ? 2 : 1;
    if (i >= body.size()) return 0;
    for (; i < body.size(); ++i) {
      char32_t d = body[i];
      uint32_t digit;
      if (d >= U'0' && d <= U'9') {
        digit = d - U'0';
      } else if (hex && d >= U'a' && d <= U'f') {
        digit = d - U'a' + 10;
      } else if (hex && d >= U'A' && d <= U'F') {
        digit = d - U'A' + 10;
      } else {
        return 0;
      }
      value = value * (hex ? 16 : 10) + digit;
      if (value > 0x10FFFF) value = 0x110000;  // stays out of range, never overflows
    }
    const bool noCharacter = value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF);
    *out = noCharacter ? U'\uFFFD' : static_cast<char32_t>(value);
    return end + 1;
  }
  for (const Named& named : kNamed)
    if (body == named.name) {
      *out = named.c;
      return end + 1;
    }
  return 0;
}

}  // namespace kanro::text
