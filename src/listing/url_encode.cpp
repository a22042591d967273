#include "listing/url_encode.h"

namespace kanro::listing {
namespace {

void AppendPercent(unsigned char c, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 0x0F];
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xEF); }

bool IsKeptAsIs(unsigned char c) {
  return (c >= 0x40 && c <= 0x5A) || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' ||
         c == '-' || c == '.' || c == '_';
}

}  // namespace

std::string UrlEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 3);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(c)) {
      // The trail byte is encoded whatever its value, even a letter.
      AppendPercent(c, out);
      if (i + 1 == text.size()) break;
      AppendPercent(static_cast<unsigned char>(text[++i]), out);
    } else if (c == ' ') {
      out += '+';
    } else if (IsKeptAsIs(c)) {
      out += static_cast<char>(c);
    } else {
      AppendPercent(c, out);
    }
  }
  return out;
}

}  // namespace kanro::listing
