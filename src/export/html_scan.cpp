#include "export/html_scan.h"

#include <cstdint>

#include "text/character_reference.h"
#include "text/codepage.h"

namespace kanro::exports {
namespace {

constexpr bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
constexpr bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

void AppendUtf8(char32_t c, std::string& out) {
  char bytes[4];
  size_t length;
  if (c < 0x80) {
    out += static_cast<char>(c);
    return;
  }
  if (c < 0x800) {
    bytes[0] = static_cast<char>(0xC0 | (c >> 6));
    bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
    length = 2;
  } else if (c < 0x10000) {
    bytes[0] = static_cast<char>(0xE0 | (c >> 12));
    bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
    length = 3;
  } else {
    bytes[0] = static_cast<char>(0xF0 | (c >> 18));
    bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
    length = 4;
  }
  out.append(bytes, length);
}

// Characters XML 1.0 can carry; anything else (controls, surrogates, beyond
// U+10FFFF) becomes U+FFFD so the writers never meet it.
char32_t Sanitised(char32_t c) {
  if (c == 0x9 || c == 0xA || c == 0xD) return c;
  if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF ||
      c > 0x10FFFF)
    return U'\uFFFD';
  return c;
}

// Decodes CP932 and references; folds white space when asked (text).
void Decode(std::string_view cp932, std::string& utf8, text::ReferenceContext context) {
  const bool foldSpace = context == text::ReferenceContext::kText;
  const std::u32string wide = text::Cp932ToWide(cp932);
  utf8.reserve(utf8.size() + wide.size() * 3);
  std::u32string_view view(wide);
  bool lastWasSpace = !utf8.empty() && utf8.back() == ' ';
  auto append = [&](char32_t c) {
    c = Sanitised(c);
    const bool space = c == U' ' || c == U'\t' || c == U'\n' || c == U'\r' || c == U'\u00A0';
    if (foldSpace && space) {
      if (!lastWasSpace) utf8 += ' ';
      lastWasSpace = true;
      return;
    }
    lastWasSpace = false;
    AppendUtf8(c, utf8);
  };
  for (size_t i = 0; i < view.size(); ++i) {
    if (view[i] == U'&') {
      const text::DecodedReference decoded = text::DecodeCharacterReference(view.substr(i), context);
      if (decoded.length > 0) {
        for (size_t k = 0; k < decoded.count; ++k) append(decoded.characters[k]);
        i += decoded.length - 1;
        continue;
      }
    }
    append(view[i]);
  }
}

}  // namespace

std::string_view HtmlToken::Attribute(std::string_view attributeName, bool* present) const {
  for (const HtmlAttribute& attribute : attributes)
    if (EqualsIgnoreCase(attribute.name, attributeName)) {
      if (present) *present = true;
      return attribute.value;
    }
  if (present) *present = false;
  return {};
}

bool HtmlScanner::Next(HtmlToken& token) {
  token.attributes.clear();
  token.name.clear();
  token.selfClosing = false;
  while (pos_ < page_.size()) {
    const size_t start = pos_;
    if (page_[start] != '<') {
      size_t end = page_.find('<', start + 1);
      if (end == std::string_view::npos) end = page_.size();
      pos_ = end;
      token.kind = HtmlToken::Kind::Text;
      token.raw = page_.substr(start, end - start);
      return true;
    }
    if (page_.compare(start, 4, "<!--") == 0) {
      // An unclosed comment runs to the end of the page, as in a browser.
      size_t end = page_.find("-->", start + 4);
      pos_ = end == std::string_view::npos ? page_.size() : end + 3;
      token.kind = HtmlToken::Kind::Comment;
      token.raw = page_.substr(start, pos_ - start);
      return true;
    }
    if (ReadTag(start, token)) return true;
    if (pos_ >= page_.size()) return false;  // a tag cut off by the end of the page
    // "<" that starts no tag is text up to the next "<".
    size_t end = page_.find('<', start + 1);
    if (end == std::string_view::npos) end = page_.size();
    pos_ = end;
    token.kind = HtmlToken::Kind::Text;
    token.raw = page_.substr(start, end - start);
    return true;
  }
  return false;
}

bool HtmlScanner::ReadTag(size_t start, HtmlToken& token) {
  size_t i = start + 1;
  const size_t n = page_.size();
  bool closing = false;
  if (i < n && page_[i] == '!') {  // <!DOCTYPE ...> and the like
    size_t end = page_.find('>', i);
    pos_ = end == std::string_view::npos ? n : end + 1;
    if (end == std::string_view::npos) return false;
    token.kind = HtmlToken::Kind::Comment;
    token.raw = page_.substr(start, pos_ - start);
    return true;
  }
  if (i < n && page_[i] == '/') {
    closing = true;
    ++i;
  }
  if (i >= n || !IsAsciiLetter(page_[i])) {
    pos_ = start + 1;
    return false;
  }
  const size_t nameStart = i;
  while (i < n && !IsSpace(page_[i]) && page_[i] != '>' && page_[i] != '/') ++i;
  token.name.assign(page_.substr(nameStart, i - nameStart));
  for (char& c : token.name) c = Lower(c);

  for (;;) {
    while (i < n && (IsSpace(page_[i]) || page_[i] == '/')) {
      if (page_[i] == '/') token.selfClosing = true;
      ++i;
    }
    if (i >= n) {
      pos_ = n;
      return false;
    }
    if (page_[i] == '>') {
      ++i;
      break;
    }
    token.selfClosing = false;
    const size_t attrStart = i;
    while (i < n && !IsSpace(page_[i]) && page_[i] != '=' && page_[i] != '>' && page_[i] != '/') ++i;
    HtmlAttribute attribute;
    attribute.name = page_.substr(attrStart, i - attrStart);
    if (attribute.name.empty()) {  // a stray "=": skip it
      ++i;
      continue;
    }
    size_t j = i;
    while (j < n && IsSpace(page_[j])) ++j;
    if (j < n && page_[j] == '=') {
      ++j;
      while (j < n && IsSpace(page_[j])) ++j;
      if (j < n && (page_[j] == '"' || page_[j] == '\'')) {
        const size_t close = page_.find(page_[j], j + 1);
        if (close == std::string_view::npos) {
          pos_ = n;
          return false;
        }
        attribute.value = page_.substr(j + 1, close - j - 1);
        i = close + 1;
      } else {
        const size_t valueStart = j;
        while (j < n && !IsSpace(page_[j]) && page_[j] != '>') ++j;
        attribute.value = page_.substr(valueStart, j - valueStart);
        i = j;
      }
    }
    token.attributes.push_back(attribute);
  }
  pos_ = i;
  token.kind = closing ? HtmlToken::Kind::EndTag : HtmlToken::Kind::StartTag;
  token.raw = page_.substr(start, i - start);
  return true;
}

bool IsVoidElement(std::string_view name) {
  return name == "img" || name == "br" || name == "hr" || name == "input" || name == "meta" || name == "link" ||
         name == "wbr" || name == "col" || name == "area" || name == "base" || name == "param";
}

bool HasClass(std::string_view classList, std::string_view name) {
  size_t i = 0;
  while (i < classList.size()) {
    while (i < classList.size() && IsSpace(classList[i])) ++i;
    size_t end = i;
    while (end < classList.size() && !IsSpace(classList[end])) ++end;
    if (end > i && classList.substr(i, end - i) == name) return true;
    i = end;
  }
  return false;
}

bool StyleHides(std::string_view style) {
  std::string compact;
  for (char c : style)
    if (!IsSpace(c)) compact += Lower(c);
  return compact.find("display:none") != std::string::npos;
}

void AppendHtmlText(std::string_view cp932, std::string& utf8) { Decode(cp932, utf8, text::ReferenceContext::kText); }

std::string TrimmedText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    if (IsSpace(utf8[i])) {
      while (i < utf8.size() && IsSpace(utf8[i])) ++i;
      if (!out.empty() && i < utf8.size()) out += ' ';
      continue;
    }
    const size_t start = i;
    while (i < utf8.size() && !IsSpace(utf8[i])) ++i;
    out.append(utf8, start, i - start);
  }
  return out;
}

std::string TrimmedLines(std::string_view utf8) {
  std::string out;
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t end = utf8.find('\n', start);
    if (end == std::string_view::npos) end = utf8.size();
    const std::string line = TrimmedText(utf8.substr(start, end - start));
    if (!line.empty()) {
      if (!out.empty()) out += '\n';
      out += line;
    }
    start = end + 1;
  }
  return out;
}

std::string AttributeText(std::string_view cp932) {
  std::string out;
  Decode(cp932, out, text::ReferenceContext::kAttributeValue);
  return out;
}

}  // namespace kanro::exports
