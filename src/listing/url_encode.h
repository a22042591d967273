#pragma once
// Percent-encoding of CP932 text for the query of a watch link.
#include <string>
#include <string_view>

namespace kanro::listing {

// Encodes byte by byte: both bytes of a character whose lead byte is 0x81-0x9F
// or 0xE0-0xEF as %XX, a blank as "+", "@" to "Z", "a" to "z", "0" to "9" and
// "*-._" unchanged, every other byte as %XX (upper-case hex digits).
std::string UrlEncode(std::string_view text);

}  // namespace kanro::listing
