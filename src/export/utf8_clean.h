#pragma once
// Walks UTF-8 text character by character, replacing what is not well-formed
// (and what XML 1.0 cannot carry) with U+FFFD, so both writers only ever emit
// valid UTF-8.
#include <string>
#include <string_view>

namespace kanro::exports {

// Calls emit(c, bytes) for every character: c its code point, bytes its
// UTF-8 form (U+FFFD's for replaced input).
template <class Emit>
void ForEachUtf8Char(std::string_view text, Emit emit) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
      length = 1;
      c = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
    }
    bool good = length > 0 && i + length <= text.size();
    for (size_t k = 1; good && k < length; ++k) {
      const unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) good = false;
      c = (c << 6) | (next & 0x3F);
    }
    if (good) {
      const bool overlong = (length == 3 && c < 0x800) || (length == 4 && c < 0x10000);
      const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c < 0x7F) || (c > 0x9F && c < 0xD800) ||
                           (c > 0xDFFF && c < 0xFFFE) || (c >= 0x10000 && c <= 0x10FFFF);
      good = !overlong && allowed;
    }
    if (good) {
      emit(c, text.substr(i, length));
      i += length;
    } else {
      emit(U'\uFFFD', kReplacement);
      i += 1;
    }
  }
}

}  // namespace kanro::exports
