#include "listing/active_content.h"

#include <array>
#include <cstring>

namespace kanro::listing {
namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Character classes of the tag states, looked up by byte.
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
bool IsSpace(char c) { return Is(c, kSpace); }

bool EqualsLower(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (Lower(text[i]) != lower[i]) return false;
  return true;
}

// A set of names, looked up by length and first letter before any
// comparison: most tags and attributes of a listing are no member.
template <size_t N>
class NameSet {
 public:
  constexpr explicit NameSet(const std::array<std::string_view, N>& names) : m_names(names) {
    for (std::string_view name : names) m_letters[name.size()] |= 1u << (name[0] - 'a');
  }
  bool Contains(std::string_view name) const {
    if (name.size() >= m_letters.size()) return false;
    const char first = Lower(name[0]);
    if (first < 'a' || first > 'z' || (m_letters[name.size()] >> (first - 'a') & 1u) == 0) return false;
    for (std::string_view entry : m_names)
      if (EqualsLower(name, entry)) return true;
    return false;
  }

 private:
  std::array<std::string_view, N> m_names;
  std::array<uint32_t, 16> m_letters{};
};

// Elements whose tags go while their content stays.
constexpr NameSet<22> kDroppedTags(std::array<std::string_view, 22>{
    "iframe", "frame", "frameset", "object", "embed", "applet", "portal", "meta", "base", "link", "form", "title",
    "textarea", "xmp", "noembed", "noframes", "noscript", "plaintext", "template", "svg", "math", "isindex"});
bool IsDroppedTag(std::string_view name) { return kDroppedTags.Contains(name); }

// 1 for script, 2 for style: removed with their content.
uint8_t RemovedWithContent(std::string_view name) {
  if (EqualsLower(name, "script")) return 1;
  if (EqualsLower(name, "style")) return 2;
  return 0;
}

// Attributes whose value a browser fetches (or sends a request to) by itself.
constexpr NameSet<18> kResourceAttributes(std::array<std::string_view, 18>{
    "src", "srcset", "poster", "background", "lowsrc", "dynsrc", "data", "ping", "action", "formaction", "codebase",
    "archive", "classid", "manifest", "longdesc", "attributionsrc", "imagesrcset", "xlink:href"});
bool IsResourceAttribute(std::string_view name) { return kResourceAttributes.Contains(name); }

// True when the value may be a javascript:, vbscript:, data: or file: address
// as a URL parser reads it: blanks and controls are dropped, case does not
// count. A character reference inside the scheme is taken as one of them: no
// ordinary address needs one there.
bool HasDangerousScheme(std::string_view value) {
  char scheme[12];
  size_t length = 0;
  bool colon = false;
  for (char c : value) {
    if (static_cast<unsigned char>(c) <= 0x20) continue;
    if (c == '&') return true;
    if (c == ':') {
      colon = true;
      break;
    }
    if (!IsAlpha(c) || length == sizeof scheme) return false;
    scheme[length++] = Lower(c);
  }
  if (!colon) return false;
  const std::string_view found(scheme, length);
  return found == "javascript" || found == "vbscript" || found == "data" || found == "file";
}

// Most values start with a character no dangerous scheme can start with.
bool MayHaveScheme(std::string_view value) {
  for (char c : value) {
    if (static_cast<unsigned char>(c) <= 0x20) continue;
    const char lower = Lower(c);
    return lower == 'j' || lower == 'v' || lower == 'd' || lower == 'f' || c == '&';
  }
  return false;
}

// The program's own images, written literally, inside the image folder.
bool IsOwnResource(std::string_view value) {
  constexpr std::string_view kImages = "../Image/";
  if (value.substr(0, kImages.size()) != kImages) return false;
  for (size_t i = kImages.size(); i < value.size(); ++i) {
    const char c = value[i];
    if (static_cast<unsigned char>(c) <= 0x20 || c == ':' || c == '\\' || c == '%' || c == '&' || c == '?' ||
        c == '#' || (c == '.' && value[i - 1] == '/'))
      return false;
  }
  return true;
}

// A style attribute that could load something: a URL or image function, an
// import, the old script bindings, or escapes and references that could spell
// any of them.
bool StyleMayLoad(std::string_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    const char c = Lower(value[i]);
    if (c == '\\' || c == '&' || c == '@') return true;
    for (std::string_view word : {"url", "image", "expression", "binding", "behavior", "src("})
      if (c == word[0] && i + word.size() <= value.size() && EqualsLower(value.substr(i, word.size()), word))
        return true;
  }
  return false;
}

// Where the end tag of removed content begins at or after from, or npos:
// "</script" or "</style" followed by white space, "/" or ">".
size_t FindRemovalEnd(std::string_view work, size_t from, uint8_t removeUntil) {
  const std::string_view name = removeUntil == 1 ? "script" : "style";
  for (size_t at = work.find("</", from); at != std::string_view::npos; at = work.find("</", at + 1)) {
    const size_t after = at + 2 + name.size();
    if (after >= work.size()) return std::string_view::npos;
    if (EqualsLower(work.substr(at + 2, name.size()), name) && Is(work[after], kEndsTagName)) return at;
  }
  return std::string_view::npos;
}

}  // namespace

void ActiveContentFilter::StartPage() {
  m_mode = Mode::Data;
  m_changed = false;
  m_pending.clear();
  m_drops.clear();
}

void ActiveContentFilter::Seal() {
  if (m_mode != Mode::Data) m_changed = true;
  m_mode = Mode::Data;
  m_pending.clear();
  m_drops.clear();
}

void ActiveContentFilter::Listing(std::string_view in, std::string& out) {
  if (m_pending.empty()) {
    Run(in, 0, out);
    return;
  }
  // The open construct goes on: the tokenizer resumes where it stopped.
  const size_t resume = m_pending.size();
  m_pending.append(in);
  m_scratch.swap(m_pending);
  m_pending.clear();
  Run(m_scratch, resume, out);
  m_scratch.clear();
}

void ActiveContentFilter::Emit(std::string_view work, size_t end, std::string& out) {
  if (end > m_emitted) out.append(work.substr(m_emitted, end - m_emitted));
  m_emitted = end;
}

void ActiveContentFilter::Run(std::string_view work, size_t at, std::string& out) {
  const size_t n = work.size();
  m_emitted = 0;
  while (at < n) {
    switch (m_mode) {
      case Mode::Data: {
        const void* found = std::memchr(work.data() + at, '<', n - at);
        if (!found) {
          at = n;
          break;
        }
        m_start = static_cast<size_t>(static_cast<const char*>(found) - work.data());
        m_mode = Mode::Open;
        at = m_start + 1;
        break;
      }
      case Mode::Open: {
        // What follows "<" decides; up to four characters are looked at.
        const std::string_view rest = work.substr(m_start);
        if (rest.size() < 2) {
          at = n;
          break;
        }
        const char next = rest[1];
        if (IsAlpha(next) || (next == '/' && rest.size() > 2 && IsAlpha(rest[2]))) {
          m_endTag = next == '/';
          m_mode = Mode::Tag;
          m_part = Part::Name;
          m_dropTag = false;
          m_removeUntil = 0;
          m_drops.clear();
          at = m_start + (m_endTag ? 2 : 1);
        } else if (next == '/') {
          if (rest.size() < 3) {
            at = n;
          } else if (rest[2] == '>') {  // "</>" is nothing at all
            m_mode = Mode::Data;
            at = m_start + 3;
          } else {
            m_mode = Mode::Bogus;
            m_resume = 2;
            at = m_start + 2;
          }
        } else if (next == '!') {
          constexpr std::string_view kComment = "<!--";
          const size_t compared = rest.size() < kComment.size() ? rest.size() : kComment.size();
          if (rest.substr(0, compared) != kComment.substr(0, compared)) {
            // DOCTYPE, CDATA (never inside foreign content here) and the rest
            // end at the first ">" as bogus comments do.
            m_mode = Mode::Bogus;
            m_resume = 2;
            at = m_start + 2;
          } else if (rest.size() < 5 || (rest.size() < 6 && rest[4] == '-')) {
            at = n;  // "<!-->" and "<!--->" end at once: wait and see
          } else if (rest[4] == '>' || (rest[4] == '-' && rest[5] == '>')) {
            m_mode = Mode::Data;
            at = m_start + (rest[4] == '>' ? 5 : 6);
          } else {
            m_mode = Mode::Comment;
            m_resume = 4;
            at = m_start + 4;
          }
        } else if (next == '?') {
          m_mode = Mode::Bogus;
          m_resume = 1;
          at = m_start + 1;
        } else {
          // Text. Before another "<" it is written as a reference, so that
          // nothing removed after it can join it to a tag.
          if (next == '<') {
            Emit(work, m_start, out);
            out += "&lt;";
            m_emitted = m_start + 1;
            m_changed = true;
          }
          m_mode = Mode::Data;
          at = m_start + 1;
        }
        break;
      }
      case Mode::Comment: {
        // Ends at "-->" or "--!>".
        size_t end = std::string_view::npos;
        size_t resume = n > 3 ? n - 3 : 0;
        for (size_t dash = work.find("--", m_start + m_resume); dash != std::string_view::npos;
             dash = work.find("--", dash + 1)) {
          if (dash + 2 < n && work[dash + 2] == '>') {
            end = dash + 3;
            break;
          }
          if (dash + 3 < n && work[dash + 2] == '!' && work[dash + 3] == '>') {
            end = dash + 4;
            break;
          }
          if (dash + 3 >= n) {
            resume = dash;
            break;
          }
        }
        if (end == std::string_view::npos) {
          if (resume > m_start + m_resume) m_resume = resume - m_start;
          at = n;
          break;
        }
        m_mode = Mode::Data;
        at = end;
        break;
      }
      case Mode::Bogus: {
        const void* found = std::memchr(work.data() + m_start + m_resume, '>', n - m_start - m_resume);
        if (!found) {
          m_resume = n - m_start;
          at = n;
          break;
        }
        m_mode = Mode::Data;
        at = static_cast<size_t>(static_cast<const char*>(found) - work.data()) + 1;
        break;
      }
      case Mode::Tag:
        if (!RunTag(work, at)) {
          at = n;
          break;
        }
        EndConstruct(work, at, out);
        break;
      case Mode::RemovedContent: {
        const size_t end = FindRemovalEnd(work, at, m_removeUntil);
        if (end == std::string_view::npos) {
          m_emitted = n;
          at = n;
          break;
        }
        // The end tag goes too.
        m_emitted = end;
        m_start = end;
        m_mode = Mode::Tag;
        m_part = Part::Name;
        m_endTag = true;
        m_dropTag = true;
        m_removeUntil = 0;
        m_drops.clear();
        at = end + 2;
        break;
      }
    }
  }
  if (m_mode == Mode::Data) {
    Emit(work, n, out);
  } else if (m_mode == Mode::RemovedContent) {
    m_emitted = n;
  } else {
    // The construct goes on in the next bytes: held back until it ends.
    Emit(work, m_start, out);
    m_pending.assign(work.substr(m_start));
    m_start = 0;
  }
}

bool ActiveContentFilter::RunTag(std::string_view work, size_t& at) {
  const size_t n = work.size();
  const size_t base = m_start;
  auto startAttribute = [&] {
    m_attribute = at - base;
    m_hasValue = false;
    m_part = Part::AttributeName;
    ++at;  // the first character may be "="
  };
  while (at < n) {
    const char c = work[at];
    switch (m_part) {
      case Part::Name: {
        size_t end = at;
        while (end < n && !Is(work[end], kEndsTagName)) ++end;
        if (end == n) {
          at = n;
          return false;
        }
        const size_t nameStart = base + (m_endTag ? 2 : 1);
        const std::string_view name = work.substr(nameStart, end - nameStart);
        m_removeUntil = RemovedWithContent(name);
        m_dropTag = m_removeUntil != 0 || IsDroppedTag(name);
        if (m_endTag) m_removeUntil = 0;
        m_part = Part::BeforeAttribute;
        at = end;
        continue;
      }
      case Part::BeforeAttribute:
        if (IsSpace(c)) {
          ++at;
        } else if (c == '/') {
          m_part = Part::SelfClosing;
          ++at;
        } else if (c == '>') {
          ++at;
          return true;
        } else {
          startAttribute();
        }
        continue;
      case Part::AttributeName: {
        size_t end = at;
        while (end < n && !Is(work[end], kEndsAttributeName)) ++end;
        if (end == n) {
          at = n;
          return false;
        }
        m_attributeNameEnd = end - base;
        m_part = Part::AfterAttributeName;
        at = end;
        continue;
      }
      case Part::AfterAttributeName:
        if (IsSpace(c)) {
          ++at;
          continue;
        }
        if (c == '=') {
          m_part = Part::BeforeValue;
          ++at;
          continue;
        }
        FinishAttribute(work.substr(base), m_attributeNameEnd);
        if (c == '/') {
          m_part = Part::SelfClosing;
          ++at;
        } else if (c == '>') {
          ++at;
          return true;
        } else {
          startAttribute();
        }
        continue;
      case Part::BeforeValue:
        if (IsSpace(c)) {
          ++at;
        } else if (c == '"' || c == '\'') {
          m_part = c == '"' ? Part::DoubleQuoted : Part::SingleQuoted;
          m_value = at + 1 - base;
          ++at;
        } else if (c == '>') {
          m_hasValue = true;
          m_value = m_valueEnd = at - base;
          FinishAttribute(work.substr(base), at - base);
          ++at;
          return true;
        } else {
          m_part = Part::Unquoted;
          m_value = at - base;
        }
        continue;
      case Part::DoubleQuoted:
      case Part::SingleQuoted: {
        const char quote = m_part == Part::DoubleQuoted ? '"' : '\'';
        const void* found = std::memchr(work.data() + at, quote, n - at);
        if (!found) {
          at = n;
          return false;
        }
        const size_t close = static_cast<size_t>(static_cast<const char*>(found) - work.data());
        m_hasValue = true;
        m_valueEnd = close - base;
        at = close + 1;
        FinishAttribute(work.substr(base), at - base);
        m_part = Part::AfterQuoted;
        continue;
      }
      case Part::Unquoted: {
        size_t end = at;
        while (end < n && !Is(work[end], kEndsUnquoted)) ++end;
        if (end == n) {
          at = n;
          return false;
        }
        m_hasValue = true;
        m_valueEnd = end - base;
        FinishAttribute(work.substr(base), end - base);
        m_part = Part::BeforeAttribute;
        at = end;
        continue;
      }
      case Part::AfterQuoted:
        if (IsSpace(c)) {
          m_part = Part::BeforeAttribute;
          ++at;
        } else if (c == '/') {
          m_part = Part::SelfClosing;
          ++at;
        } else if (c == '>') {
          ++at;
          return true;
        } else {
          m_part = Part::BeforeAttribute;  // the next attribute follows without a blank
        }
        continue;
      case Part::SelfClosing:
        if (c == '>') {
          ++at;
          return true;
        }
        m_part = Part::BeforeAttribute;
        continue;
    }
  }
  return false;
}

void ActiveContentFilter::FinishAttribute(std::string_view construct, size_t end) {
  const size_t begin = m_attribute;
  if (m_dropTag) return;
  const std::string_view name = construct.substr(begin, m_attributeNameEnd - begin);
  const std::string_view value = m_hasValue ? construct.substr(m_value, m_valueEnd - m_value) : std::string_view();
  bool drop = (name.size() >= 2 && Lower(name[0]) == 'o' && Lower(name[1]) == 'n') ||
              (IsResourceAttribute(name) && !IsOwnResource(value));
  if (!drop && m_hasValue)
    drop = (MayHaveScheme(value) && HasDangerousScheme(value)) || (EqualsLower(name, "style") && StyleMayLoad(value));
  if (drop) m_drops.push_back({begin, end});
}

void ActiveContentFilter::EndConstruct(std::string_view work, size_t end, std::string& out) {
  m_mode = m_dropTag && m_removeUntil != 0 ? Mode::RemovedContent : Mode::Data;
  if (!m_dropTag && m_drops.empty()) return;
  m_changed = true;
  Emit(work, m_start, out);
  m_emitted = end;
  if (m_dropTag) return;
  const std::string_view construct = work.substr(m_start, end - m_start);
  size_t kept = 0;
  for (const Range& drop : m_drops) {
    out.append(construct.substr(kept, drop.begin - kept));
    kept = drop.end;
    // A value in quotes may be followed by the next attribute without a
    // blank: keep one, so the two sides never join into one attribute.
    if (!Is(construct[kept], kEndsTagName)) out += ' ';
  }
  out.append(construct.substr(kept));
  m_drops.clear();
}

}  // namespace kanro::listing
