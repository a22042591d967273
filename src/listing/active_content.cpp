#include "listing/active_content.h"

#include <array>
#include <cstring>
#include <string_view>

namespace kanro::listing {
namespace {

constexpr std::array<std::string_view, 4> kSchemes = {"javascript:", "vbscript:", "data:", "file:"};
// Elements whose tags go while their content stays.
constexpr std::array<std::string_view, 16> kDroppedTags = {
    "iframe", "frame", "frameset", "object", "embed", "applet", "meta", "base",
    "title", "textarea", "xmp", "noembed", "noframes", "noscript", "plaintext", "template"};
// Passes over one line before it is given up; each pass that finds more
// has made the line shorter.
constexpr int kMaxPasses = 8;

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Character classes of the tag reader, looked up by byte.
enum : uint8_t { kSpace = 1, kEndsTagName = 2, kEndsAttributeName = 4, kEndsUnquoted = 8 };
constexpr std::array<uint8_t, 256> MakeClasses() {
  std::array<uint8_t, 256> classes{};
  for (unsigned char c : {' ', '\t', '\n', '\r', '\f'})
    classes[c] = kSpace | kEndsTagName | kEndsAttributeName | kEndsUnquoted;
  classes['/'] = kEndsTagName | kEndsAttributeName;
  classes['>'] = kEndsTagName | kEndsAttributeName | kEndsUnquoted;
  classes['='] = kEndsAttributeName;
  return classes;
}
constexpr std::array<uint8_t, 256> kClasses = MakeClasses();
bool Is(char c, uint8_t what) { return (kClasses[static_cast<unsigned char>(c)] & what) != 0; }
// HTML's white space between tag parts (a line end counts too).
bool IsSpace(char c) { return Is(c, kSpace); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (Lower(text[i]) != lower[i]) return false;
  return true;
}

// 1 for script, 2 for style, else 0.
uint8_t RemovedWithContent(std::string_view name) {
  if (EqualsLower(name, "script")) return 1;
  if (EqualsLower(name, "style")) return 2;
  return 0;
}

// For each name length, the first letters of the dropped names that long.
constexpr std::array<uint32_t, 10> MakeFirstLetters() {
  std::array<uint32_t, 10> letters{};
  for (std::string_view dropped : kDroppedTags) letters[dropped.size()] |= 1u << (dropped[0] - 'a');
  letters[5] |= 1u << ('s' - 'a');  // style
  letters[6] |= 1u << ('s' - 'a');  // script
  return letters;
}
constexpr std::array<uint32_t, 10> kFirstLetters = MakeFirstLetters();

// False for most tags of a listing (td, tr, a, strong, span, img) without a
// comparison: no removed or dropped name has their length and first letter.
bool MayBeRemoved(std::string_view name) {
  if (name.size() < 3 || name.size() > 9) return false;
  const char first = Lower(name[0]);
  return first >= 'a' && first <= 'z' && (kFirstLetters[name.size()] >> (first - 'a') & 1u) != 0;
}

bool IsDroppedTag(std::string_view name) {
  const char first = Lower(name[0]);
  for (std::string_view dropped : kDroppedTags)
    if (dropped.size() == name.size() && dropped[0] == first && EqualsLower(name, dropped)) return true;
  return false;
}

// Where the end tag of the removed element begins at or after from, or npos:
// "</script" or "</style" followed by white space, "/", ">" or the line end.
size_t FindRawEnd(const std::string& line, size_t from, uint8_t rawEnd) {
  const std::string_view name = rawEnd == 1 ? "script" : "style";
  for (size_t at = line.find("</", from); at != std::string::npos; at = line.find("</", at + 1)) {
    const size_t after = at + 2 + name.size();
    if (after > line.size() || !EqualsLower(std::string_view(line).substr(at + 2, name.size()), name)) continue;
    if (after == line.size() || IsSpace(line[after]) || line[after] == '/' || line[after] == '>') return at;
  }
  return std::string::npos;
}

// The end of a comment at or after from ("-->" or "--!>"): the position after it.
size_t FindCommentEnd(const std::string& line, size_t from) {
  for (size_t at = line.find("--", from); at != std::string::npos; at = line.find("--", at + 1)) {
    if (at + 2 < line.size() && line[at + 2] == '>') return at + 3;
    if (at + 3 < line.size() && line[at + 2] == '!' && line[at + 3] == '>') return at + 4;
  }
  return std::string::npos;
}

// A character reference at line[at] ('&'): its code point and length, or 0.
size_t CharacterReference(std::string_view text, uint32_t* codePoint) {
  if (text.size() > 2 && text[1] == '#') {
    size_t i = 2;
    const bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
    if (hex) ++i;
    const size_t digits = i;
    uint32_t value = 0;
    for (; i < text.size(); ++i) {
      const char c = text[i];
      int digit = -1;
      if (c >= '0' && c <= '9') digit = c - '0';
      else if (hex && Lower(c) >= 'a' && Lower(c) <= 'f') digit = Lower(c) - 'a' + 10;
      if (digit < 0) break;
      value = value > 0x10FFFF ? value : value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (i == digits) return 0;
    if (i < text.size() && text[i] == ';') ++i;
    *codePoint = value;
    return i;
  }
  static constexpr std::array<std::pair<std::string_view, uint32_t>, 3> kNamed = {
      {{"&colon;", ':'}, {"&tab;", '\t'}, {"&newline;", '\n'}}};
  for (const auto& [name, value] : kNamed) {
    if (text.size() >= name.size() && EqualsLower(text.substr(0, name.size()), name)) {
      *codePoint = value;
      return name.size();
    }
  }
  return 0;
}

}  // namespace

void ActiveContentFilter::Remove(size_t begin, size_t end) {
  if (begin >= end) return;
  if (!m_ranges.empty() && begin <= m_ranges.back().end) {
    if (begin < m_ranges.back().begin) m_ranges.back().begin = begin;
    if (end > m_ranges.back().end) m_ranges.back().end = end;
    return;
  }
  m_ranges.push_back({begin, end});
}

bool ActiveContentFilter::FeedValue(const std::string& line, size_t& at, size_t end, State& state) {
  while (at < end) {
    uint32_t c = static_cast<unsigned char>(line[at]);
    size_t length = 1;
    if (c == '&') {
      uint32_t decoded = 0;
      const size_t reference = CharacterReference(std::string_view(line).substr(at, end - at), &decoded);
      if (reference > 0) {
        c = decoded;
        length = reference;
      }
    }
    at += length;
    // Browsers drop blanks and control characters around and inside the scheme.
    if (c <= 0x20) continue;
    state.scheme.push_back(c < 0x80 ? Lower(static_cast<char>(c)) : '\x80');
    bool possible = false;
    for (std::string_view scheme : kSchemes) {
      if (scheme.substr(0, state.scheme.size()) != state.scheme) continue;
      if (scheme.size() == state.scheme.size()) {
        state.dropAttribute = true;
        state.valueDecided = true;
        return true;
      }
      possible = true;
    }
    if (!possible) {
      state.valueDecided = true;
      return true;
    }
  }
  return false;
}

// Most values start with a character no dangerous scheme starts with, which
// decides them at once.
bool ActiveContentFilter::DecidedByFirst(const std::string& line, size_t at, size_t end, State& state) {
  if (!state.scheme.empty() || at >= end) return false;
  const char first = Lower(line[at]);
  if (static_cast<unsigned char>(first) <= 0x20 || first == '&' || first == 'j' || first == 'v' || first == 'd' ||
      first == 'f')
    return false;
  state.valueDecided = true;
  return true;
}

void ActiveContentFilter::ScanTag(const std::string& line, size_t& at, State& state) {
  const size_t n = line.size();
  // Where the removal of the tag or of the attribute being read would begin.
  size_t tagStart = 0;
  size_t attributeStart = 0;
  if (state.part == TagPart::Name) {
    tagStart = at - (state.endTag ? 2 : 1);
    size_t nameEnd = at;
    while (nameEnd < n && !Is(line[nameEnd], kEndsTagName)) ++nameEnd;
    const std::string_view name = std::string_view(line).substr(at, nameEnd - at);
    const bool candidate = MayBeRemoved(name);
    const uint8_t raw = candidate ? RemovedWithContent(name) : 0;
    state.dropTag = candidate && (raw != 0 || IsDroppedTag(name));
    state.rawEnd = state.endTag ? 0 : raw;
    state.part = TagPart::BeforeName;
    at = nameEnd;
  }
  auto finishAttribute = [&](size_t end) {
    if (state.dropAttribute && !state.dropTag) Remove(attributeStart, end);
    state.dropAttribute = false;
    state.part = TagPart::BeforeName;
  };
  while (at < n) {
    const char c = line[at];
    switch (state.part) {
      case TagPart::Name:
      case TagPart::BeforeName:
        if (c != '>' && Is(c, kEndsTagName)) {
          ++at;
          continue;
        }
        if (c == '>') break;
        // The blanks before the attribute go with it.
        attributeStart = at;
        while (attributeStart > 0 && IsSpace(line[attributeStart - 1])) --attributeStart;
        state.dropAttribute = (at + 1 < n && Lower(c) == 'o' && Lower(line[at + 1]) == 'n');
        state.valueDecided = false;
        state.scheme.clear();
        state.part = TagPart::AttributeName;
        ++at;  // the first character may be "="
        continue;
      case TagPart::AttributeName:
        while (at < n && !Is(line[at], kEndsAttributeName)) ++at;
        state.part = TagPart::AfterName;
        continue;
      case TagPart::AfterName:
        if (IsSpace(c)) {
          ++at;
          continue;
        }
        if (c == '=') {
          state.part = TagPart::BeforeValue;
          ++at;
          continue;
        }
        finishAttribute(at);
        continue;
      case TagPart::BeforeValue:
        if (IsSpace(c)) {
          ++at;
          continue;
        }
        if (c == '"' || c == '\'') {
          state.quote = c;
          state.part = TagPart::Quoted;
          ++at;
          continue;
        }
        if (c == '>') {
          finishAttribute(at);
          continue;
        }
        state.part = TagPart::Unquoted;
        continue;
      case TagPart::Quoted: {
        const void* found = std::memchr(line.data() + at, state.quote, n - at);
        const size_t close = found ? static_cast<size_t>(static_cast<const char*>(found) - line.data()) : n;
        if (!state.valueDecided && !DecidedByFirst(line, at, close, state)) FeedValue(line, at, close, state);
        if (!found) {
          // The value goes on in the next line: one that may still become a
          // dangerous address goes as a whole.
          if (!state.valueDecided) {
            state.dropAttribute = true;
            state.valueDecided = true;
          }
          at = n;
          continue;
        }
        at = close + 1;
        finishAttribute(at);
        continue;
      }
      case TagPart::Unquoted: {
        size_t end = at;
        while (end < n && !Is(line[end], kEndsUnquoted)) ++end;
        if (!state.valueDecided && !DecidedByFirst(line, at, end, state)) FeedValue(line, at, end, state);
        at = end;
        finishAttribute(at);
        continue;
      }
    }
    // c == '>': the tag ends.
    ++at;
    if (state.dropTag) Remove(tagStart, at);
    state.mode = state.rawEnd != 0 ? Mode::RemovedContent : Mode::Text;
    state.part = TagPart::BeforeName;
    state.dropTag = false;
    return;
  }
  // The line ends inside the tag; the line end is white space to a browser.
  if (state.part == TagPart::AttributeName || state.part == TagPart::Unquoted) state.part = TagPart::AfterName;
  if (state.dropTag) {
    Remove(tagStart, n);
  } else if (state.dropAttribute && state.part != TagPart::BeforeName) {
    Remove(attributeStart, n);
  }
}

void ActiveContentFilter::Scan(const std::string& line, State& state) {
  m_ranges.clear();
  const size_t n = line.size();
  size_t at = 0;
  while (at < n) {
    switch (state.mode) {
      case Mode::Text: {
        const void* found = std::memchr(line.data() + at, '<', n - at);
        if (!found) return;
        const size_t open = static_cast<size_t>(static_cast<const char*>(found) - line.data());
        // After "<" at the very end comes the line end: text to a browser.
        const char next = open + 1 < n ? line[open + 1] : '\n';
        at = open + 1;
        if (IsAlpha(next)) {
          state.mode = Mode::Tag;
          state.part = TagPart::Name;
          state.endTag = false;
        } else if (next == '/') {
          const char after = open + 2 < n ? line[open + 2] : '\n';
          if (IsAlpha(after)) {
            state.mode = Mode::Tag;
            state.part = TagPart::Name;
            state.endTag = true;
            at = open + 2;
          } else if (after == '>') {
            at = open + 3;
          } else {
            state.mode = Mode::Bogus;
            at = open + 2;
          }
        } else if (next == '!') {
          const bool comment = line.compare(open, 4, "<!--") == 0;
          state.mode = comment ? Mode::Comment : Mode::Bogus;
          at = open + 2;
        } else if (next == '?') {
          state.mode = Mode::Bogus;
          at = open + 1;
        }
        break;
      }
      case Mode::Comment: {
        const size_t end = FindCommentEnd(line, at);
        if (end == std::string::npos) return;
        at = end;
        state.mode = Mode::Text;
        break;
      }
      case Mode::Bogus: {
        const void* found = std::memchr(line.data() + at, '>', n - at);
        if (!found) return;
        at = static_cast<size_t>(static_cast<const char*>(found) - line.data()) + 1;
        state.mode = Mode::Text;
        break;
      }
      case Mode::Tag:
        ScanTag(line, at, state);
        break;
      case Mode::RemovedContent: {
        const size_t end = FindRawEnd(line, at, state.rawEnd);
        if (end == std::string::npos) {
          Remove(at, n);
          return;
        }
        Remove(at, end);
        // The end tag itself goes too.
        state.mode = Mode::Tag;
        state.part = TagPart::Name;
        state.endTag = true;
        at = end + 2;
        break;
      }
    }
  }
}

bool ActiveContentFilter::Clean(std::string& line) {
  // Where a browser stands at the start of the line, given what was kept of
  // the lines before. Outside a tag the rest of the state does not matter,
  // so the common case needs no copy.
  State browserStart;
  if (m_removalGoesOn) {
    browserStart = m_browserState;
  } else if (m_state.mode != Mode::Text) {
    browserStart = m_state;
  }
  Scan(line, m_state);
  if (m_ranges.empty()) return false;
  // A removal that goes on into the next line (a script, a tag, a value)
  // keeps the state of the line as it came, and the browser's view of what
  // was kept is kept beside it.
  const bool removalGoesOn = m_ranges.back().end == line.size() && m_state.mode != Mode::Text;
  State carried = removalGoesOn ? m_state : State{};
  // What is left can form new tags where removed parts joined it ("<" before
  // a removed script): the line is checked again until nothing changes.
  for (int pass = 0; pass < kMaxPasses; ++pass) {
    m_scratch.clear();
    size_t kept = 0;
    for (const Range& range : m_ranges) {
      m_scratch.append(line, kept, range.begin - kept);
      kept = range.end;
    }
    m_scratch.append(line, kept, std::string::npos);
    line.swap(m_scratch);
    State state = browserStart;
    Scan(line, state);
    if (m_ranges.empty()) {
      m_removalGoesOn = removalGoesOn;
      if (removalGoesOn) {
        m_browserState = std::move(state);
        m_state = std::move(carried);
      } else {
        m_state = std::move(state);
      }
      return true;
    }
  }
  // Still finding more: nothing of the line is kept.
  line.clear();
  m_state = std::move(browserStart);
  m_removalGoesOn = false;
  return true;
}

}  // namespace kanro::listing
