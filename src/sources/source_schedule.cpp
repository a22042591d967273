#include "sources/source_schedule.h"

namespace kanro::sources {

std::string CleanText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > utf8.size()) {
      ++i;
      continue;
    }
    uint32_t code = length == 1 ? lead : lead & (0xFFu >> (length + 1));
    bool valid = true;
    for (size_t k = 1; k < length; ++k) {
      const auto trail = static_cast<unsigned char>(utf8[i + k]);
      if ((trail & 0xC0) != 0x80) valid = false;
      code = (code << 6) | (trail & 0x3F);
    }
    // Overlong forms and surrogates are as invalid as a broken sequence.
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (!valid || code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      ++i;
      continue;
    }
    if (code == '\t' || code == '\n' || code == '\r') {
      out += ' ';
    } else if (code >= 0x20 && code != 0x7F && !(code >= 0x80 && code < 0xA0)) {
      out.append(utf8, i, length);
    }
    i += length;
  }
  return out;
}

}  // namespace kanro::sources
