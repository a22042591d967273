#include "listing/euc_to_sjis.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace kanro::listing {
namespace {

// JIS X 0208 codes of the full-width forms of 0xA0-0xDF (ideographic space,
// punctuation, katakana, voiced marks), indexed by byte - 0xA0.
constexpr std::array<uint16_t, 64> kFullWidthKana{
    0x2121, 0x2123, 0x2156, 0x2157, 0x2122, 0x2126, 0x2572, 0x2521,  // 　。「」、・ヲァ
    0x2523, 0x2525, 0x2527, 0x2529, 0x2563, 0x2565, 0x2567, 0x2543,  // ィゥェォャュョッ
    0x213C, 0x2522, 0x2524, 0x2526, 0x2528, 0x252A, 0x252B, 0x252D,  // ーアイウエオカキ
    0x252F, 0x2531, 0x2533, 0x2535, 0x2537, 0x2539, 0x253B, 0x253D,  // クケコサシスセソ
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548, 0x254A, 0x254B, 0x254C,  // タチツテトナニヌ
    0x254D, 0x254E, 0x254F, 0x2552, 0x2555, 0x2558, 0x255B, 0x255E,  // ネノハヒフヘホマ
    0x255F, 0x2560, 0x2561, 0x2562, 0x2564, 0x2566, 0x2568, 0x2569,  // ミムメモヤユヨラ
    0x256A, 0x256B, 0x256C, 0x256D, 0x256F, 0x2573, 0x212B, 0x212C,  // リルレロワン゛゜
};

// The standard JIS row/cell to Shift-JIS mapping (row 0x21-0x7E).
inline char* PutJisAsSjis(unsigned row, unsigned cell, char* out) {
  unsigned first = 0x81 + (row - 0x21) / 2;
  if (first > 0x9F) first += 0x40;
  unsigned second = cell + ((row & 1) ? 0x1F : 0x7D);
  if (second >= 0x7F) ++second;
  *out++ = static_cast<char>(first);
  *out++ = static_cast<char>(second);
  return out;
}

}  // namespace

std::string EucJpToCp932(std::string_view euc) {
  // Every step writes at most as many bytes as it reads.
  std::string result(euc.size(), '\0');
  char* out = result.data();
  const size_t n = euc.size();
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(euc[i]);
    if (c < 0x80) {
      // Markup is mostly ASCII: copy the whole run at once.
      size_t end = i + 1;
      while (end < n && static_cast<unsigned char>(euc[end]) < 0x80) ++end;
      std::memcpy(out, euc.data() + i, end - i);
      out += end - i;
      i = end - 1;
    } else if (c == 0x8E) {
      if (i + 1 == n) break;
      const auto kana = static_cast<unsigned char>(euc[++i]);
      if (kana >= 0xA0 && kana <= 0xDF) {
        const uint16_t jis = kFullWidthKana[kana - 0xA0];
        out = PutJisAsSjis(jis >> 8, jis & 0xFF, out);
      }
    } else if (c >= 0xA1 && c <= 0xFE) {
      if (i + 1 == n) break;
      const auto trail = static_cast<unsigned char>(euc[++i]);
      out = PutJisAsSjis(c & 0x7F, trail & 0x7F, out);
    } else {
      *out++ = static_cast<char>(c);
    }
  }
  result.resize(static_cast<size_t>(out - result.data()));
  return result;
}

}  // namespace kanro::listing
