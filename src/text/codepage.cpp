#include "text/codepage.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace kanro::text {
namespace {

constexpr char32_t kCp932DefaultWide = U'\u30FB';  // what Windows gives for undefined bytes
constexpr char kCp932DefaultByte = '?';
constexpr uint16_t kUnmapped = 0xFFFF;

// Decode and encode tables, built once from iconv's CP932 so the conversions
// themselves are plain table look-ups (iconv per call is far too slow for the
// keyword search over many pages).
struct Cp932Tables {
  std::array<char32_t, 256> single{};                 // bytes that stand alone
  std::vector<char32_t> pairs = std::vector<char32_t>(65536, 0);  // lead << 8 | trail; 0 = undefined
  std::vector<uint16_t> encode = std::vector<uint16_t>(65536, kUnmapped);  // BMP -> code
};

bool IconvOne(iconv_t cd, const char* in, size_t inLength, char* out, size_t outCapacity, size_t* outLength) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  size_t inLeft = inLength;
  size_t outLeft = outCapacity;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
  // Flush any shift state.
  if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) return false;
  *outLength = outCapacity - outLeft;
  return true;
}

char32_t DecodeUtf32(const char* bytes) {
  const auto* u = reinterpret_cast<const unsigned char*>(bytes);
  return static_cast<char32_t>(u[0]) | static_cast<char32_t>(u[1]) << 8 | static_cast<char32_t>(u[2]) << 16 |
         static_cast<char32_t>(u[3]) << 24;
}

std::unique_ptr<Cp932Tables> BuildTables() {
  auto tables = std::make_unique<Cp932Tables>();
  iconv_t toWide = iconv_open("UTF-32LE", "CP932");
  iconv_t fromWide = iconv_open("CP932", "UTF-32LE");
  char out[16];
  size_t outLength = 0;

  for (int b = 0; b < 256; ++b) {
    const char in = static_cast<char>(b);
    char32_t c = b < 0x80 ? static_cast<char32_t>(b) : kCp932DefaultWide;
    if (b >= 0x80 && toWide != reinterpret_cast<iconv_t>(-1) &&
        IconvOne(toWide, &in, 1, out, sizeof out, &outLength) && outLength == 4)
      c = DecodeUtf32(out);
    tables->single[b] = c;
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (toWide != reinterpret_cast<iconv_t>(-1) && IconvOne(toWide, in, 2, out, sizeof out, &outLength) &&
          outLength == 4)
        tables->pairs[lead << 8 | trail] = DecodeUtf32(out);
    }
  }
  for (uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x80) {
      tables->encode[c] = static_cast<uint16_t>(c);
      continue;
    }
    const char in[4] = {static_cast<char>(c & 0xFF), static_cast<char>((c >> 8) & 0xFF), 0, 0};
    if (fromWide == reinterpret_cast<iconv_t>(-1) || !IconvOne(fromWide, in, 4, out, sizeof out, &outLength))
      continue;
    if (outLength == 1)
      tables->encode[c] = static_cast<unsigned char>(out[0]);
    else if (outLength == 2)
      tables->encode[c] = static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 | static_cast<unsigned char>(out[1]));
  }
  // Single bytes CP932 leaves undefined travel through wide text unchanged,
  // as on Windows: 80 is U+0080, A0 and FD-FF are private-use characters.
  constexpr std::array<std::pair<unsigned char, char32_t>, 5> kWindowsSingles{{
      {0x80, U'\u0080'}, {0xA0, U'\uF8F0'}, {0xFD, U'\uF8F1'}, {0xFE, U'\uF8F2'}, {0xFF, U'\uF8F3'}}};
  for (const auto& [byte, wide] : kWindowsSingles) {
    if (tables->single[byte] != kCp932DefaultWide) continue;
    tables->single[byte] = wide;
    if (tables->encode[wide] == kUnmapped) tables->encode[wide] = byte;
  }
  if (toWide != reinterpret_cast<iconv_t>(-1)) iconv_close(toWide);
  if (fromWide != reinterpret_cast<iconv_t>(-1)) iconv_close(fromWide);
  return tables;
}

const Cp932Tables& Tables() {
  static std::once_flag once;
  static std::unique_ptr<Cp932Tables> tables;
  std::call_once(once, [] { tables = BuildTables(); });
  return *tables;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u32string Cp932ToWide(std::string_view bytes) {
  const Cp932Tables& t = Tables();
  // Never more characters than bytes: size once, write through a pointer.
  std::u32string out(bytes.size(), U'\0');
  char32_t* o = out.data();
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n; ++i) {
    const unsigned char b = in[i];
    if (b < 0x80) {
      *o++ = b;
    } else if (!IsCp932LeadByte(b)) {
      *o++ = t.single[b];
    } else if (i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] <= 0xFC && in[i + 1] != 0x7F) {
      const char32_t c = t.pairs[b << 8 | in[i + 1]];
      *o++ = c ? c : kCp932DefaultWide;
      ++i;
    } else {
      // A lead byte without a valid trail byte: the next byte is read on its own.
      *o++ = kCp932DefaultWide;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string WideToCp932(std::u32string_view wide) {
  const Cp932Tables& t = Tables();
  // At most two bytes a character: size once, write through a pointer.
  std::string out(wide.size() * 2, '\0');
  char* o = out.data();
  for (const char32_t c : wide) {
    if (c < 0x80) {
      *o++ = static_cast<char>(c);
      continue;
    }
    const uint16_t code = c < 0x10000 ? t.encode[c] : kUnmapped;
    if (code == kUnmapped) {
      *o++ = kCp932DefaultByte;
    } else if (code > 0xFF) {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code & 0xFF);
    } else {
      *o++ = static_cast<char>(code);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::u32string Utf8ToWide(std::string_view utf8) {
  std::u32string out;
  out.reserve(utf8.size());
  const size_t n = utf8.size();
  size_t i = 0;
  while (i < n) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      out += static_cast<char32_t>(b);
      ++i;
      continue;
    }
    int length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2, c = b & 0x1F, minimum = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3, c = b & 0x0F, minimum = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4, c = b & 0x07, minimum = 0x10000;
    }
    int taken = 1;
    bool ok = length > 0;
    for (; ok && taken < length; ++taken) {
      if (i + taken >= n) {
        ok = false;
        break;
      }
      const auto cont = static_cast<unsigned char>(utf8[i + taken]);
      if ((cont & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = c << 6 | (cont & 0x3F);
    }
    if (ok && (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
      ok = false;
      taken = 1;
    }
    out += ok ? c : U'\uFFFD';
    i += ok ? static_cast<size_t>(length) : static_cast<size_t>(std::max(taken, 1));
  }
  return out;
}

std::string WideToUtf8(std::u32string_view wide) {
  std::string out;
  out.reserve(wide.size() * 3);
  for (char32_t c : wide) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = U'\uFFFD';
    AppendUtf8(out, c);
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) { return WideToCp932(Utf8ToWide(utf8)); }

std::string Cp932ToUtf8(std::string_view bytes) { return WideToUtf8(Cp932ToWide(bytes)); }

}  // namespace kanro::text
