#include "taskpane/ranking_lines.h"

#include <fstream>

#include "text/codepage.h"

namespace kanro::taskpane {
namespace {

// "・" in CP932: the character the code page shows for what it cannot map.
constexpr std::string_view kReplacement = "\x81\x45";

bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

// Appends the next character of line at i to out when it still fits;
// returns the bytes it took from line, or 0 when out is full.
size_t AppendSafeCharacter(std::string_view line, size_t i, size_t maxBytes, std::string& out) {
  const auto c = static_cast<unsigned char>(line[i]);
  std::string_view piece;
  size_t taken = 1;
  if (text::IsCp932LeadByte(c)) {
    if (i + 1 < line.size() && IsTrailByte(static_cast<unsigned char>(line[i + 1]))) {
      piece = line.substr(i, 2);
      taken = 2;
    } else {
      piece = kReplacement;  // a lead byte without its second byte
    }
  } else if (c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD) {
    piece = kReplacement;  // control bytes and bytes CP932 gives no character
  } else {
    piece = line.substr(i, 1);
  }
  if (out.size() + piece.size() > maxBytes) return 0;
  out += piece;
  return taken;
}

std::string SafeLine(std::string_view line, size_t maxBytes) {
  std::string out;
  out.reserve(std::min(line.size(), maxBytes));
  for (size_t i = 0; i < line.size();) {
    const size_t taken = AppendSafeCharacter(line, i, maxBytes, out);
    if (taken == 0) break;
    i += taken;
  }
  return out;
}

}  // namespace

std::vector<std::string> SplitRankingText(std::string_view bytes, const RankingLimits& limits) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size() && lines.size() < limits.maxLines) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    if (end > start) {
      std::string line = SafeLine(bytes.substr(start, end - start), limits.maxLineBytes);
      if (!line.empty()) lines.push_back(std::move(line));
    }
    if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
    start = end + 1;
  }
  return lines;
}

std::optional<std::vector<std::string>> ReadRankingFile(const std::filesystem::path& file,
                                                        const RankingLimits& limits) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(limits.maxTotalBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) return std::nullopt;
  bytes.resize(static_cast<size_t>(in.gcount()));
  return SplitRankingText(bytes, limits);
}

}  // namespace kanro::taskpane
