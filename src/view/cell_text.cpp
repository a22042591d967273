#include "view/cell_text.h"

#include <array>

#include "text/character_reference.h"

namespace kanro::view {
namespace {

enum class Breaks { kKeep, kAsBlanks };

// Tags after which the next text starts on a new line.
bool BreaksLine(std::u32string_view tag) {
  static constexpr std::array<std::u32string_view, 10> kBreaking = {
      U"<BR", U"</P", U"<P", U"</DIV", U"<DIV", U"</TR", U"</LI", U"<LI", U"</H", U"<HR"};
  for (std::u32string_view breaking : kBreaking) {
    if (tag.substr(0, breaking.size()) != breaking) continue;
    // "<BR>", "<BR/>", "<P class=x>", but not "<PRE" or "<BRX".
    const char32_t next = tag.size() > breaking.size() ? tag[breaking.size()] : U'>';
    if (next == U'>' || next == U' ' || next == U'/' || next == U'\t' || next == U'\n' ||
        (breaking == U"</H" && next >= U'1' && next <= U'6'))
      return true;
  }
  return false;
}

std::u32string MarkupText(std::u32string_view markup, Breaks breaks) {
  std::u32string out;
  out.reserve(markup.size());
  for (size_t at = 0; at < markup.size();) {
    const char32_t c = markup[at];
    if (c == U'<') {
      const size_t close = markup.find(U'>', at);
      if (close == std::u32string_view::npos) break;  // an unfinished tag shows nothing
      if (breaks == Breaks::kKeep && BreaksLine(markup.substr(at, close - at + 1))) out += U'\n';
      at = close + 1;
      continue;
    }
    if (c == U'&') {
      const text::DecodedReference decoded = text::DecodeCharacterReference(markup.substr(at));
      if (decoded.length > 0) {
        out.append(decoded.characters, decoded.count);
        at += decoded.length;
        continue;
      }
    }
    // White space of the markup itself is no line break.
    out += (c == U'\n' || c == U'\r' || c == U'\t') && breaks == Breaks::kKeep ? U' ' : c;
    ++at;
  }
  return out;
}

std::u32string Trimmed(std::u32string_view text) {
  const size_t first = text.find_first_not_of(U' ');
  if (first == std::u32string_view::npos) return {};
  return std::u32string(text.substr(first, text.find_last_not_of(U' ') - first + 1));
}

}  // namespace

std::u32string CellText(std::u32string_view markup) {
  std::u32string raw = MarkupText(markup, Breaks::kKeep);
  for (char32_t& c : raw)
    if (c == U'\u00A0') c = U' ';
  // Lines trimmed and blank runs made one; empty lines dropped.
  std::u32string out;
  size_t start = 0;
  while (start <= raw.size()) {
    size_t end = raw.find(U'\n', start);
    if (end == std::u32string::npos) end = raw.size();
    std::u32string line;
    for (char32_t c : Trimmed(std::u32string_view(raw).substr(start, end - start)))
      if (c != U' ' || line.empty() || line.back() != U' ') line += c;
    if (!line.empty()) {
      if (!out.empty()) out += U'\n';
      out += line;
    }
    start = end + 1;
  }
  return out;
}

std::u32string PlainText(std::u32string_view markup) {
  std::u32string out = MarkupText(markup, Breaks::kAsBlanks);
  for (char32_t& c : out)
    if (c == U'\t' || c == U'\n' || c == U'\r' || c == U'\u00A0') c = U' ';
  return Trimmed(out);
}

std::optional<CellProgramme> ProgrammeCellReader::Read(const std::u32string& markup) const {
  const std::u32string withoutImages = m_image.ReplaceAll(markup, U"");
  text::WRegex::Match match;
  if (!m_startAndTitle.Search(withoutImages, &match)) return std::nullopt;
  auto group = [&](size_t index) {
    const auto& g = match.groups[index];
    return PlainText(std::u32string_view(withoutImages).substr(g.begin, g.length()));
  };
  return CellProgramme{group(1), group(2), group(3)};
}

}  // namespace kanro::view
