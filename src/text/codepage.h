#pragma once
// Conversions between the code pages Kanro meets. Everything the program stores
// or writes is CP932 (Windows-31J); wide text is UTF-32.
#include <string>
#include <string_view>

namespace kanro::text {

// CP932 bytes to wide characters. A byte sequence CP932 does not define
// becomes U+30FB, the code page's default wide character.
std::u32string Cp932ToWide(std::string_view bytes);

// Wide characters to CP932; a character CP932 cannot hold becomes "?".
std::string WideToCp932(std::u32string_view wide);

// UTF-8 to wide characters; an invalid sequence becomes U+FFFD.
std::u32string Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::u32string_view wide);

// Shorthands over the two above.
std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view bytes);

// True when the byte starts a two-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

}  // namespace kanro::text
