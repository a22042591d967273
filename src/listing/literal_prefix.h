#pragma once
// A cheap pre-test for regular expressions: the literal text at the start of
// an ECMAScript pattern, which every match must contain. A line without it
// cannot match, so the regex need not run there.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

namespace kanro::listing {

template <class CharT>
std::basic_string<CharT> RequiredLiteral(std::basic_string_view<CharT> pattern) {
  auto isSpecial = [](CharT c) {
    switch (c) {
      case '\\': case '^': case '$': case '.': case '|': case '?': case '*': case '+':
      case '(': case ')': case '[': case ']': case '{': case '}':
        return true;
      default:
        return false;
    }
  };
  // An alternative could match without the prefix.
  if (pattern.find(CharT('|')) != std::basic_string_view<CharT>::npos) return {};
  size_t i = !pattern.empty() && pattern[0] == CharT('^') ? 1 : 0;
  std::basic_string<CharT> literal;
  for (; i < pattern.size() && !isSpecial(pattern[i]); ++i) literal += pattern[i];
  // A quantifier binds the character before it, which may then be absent.
  if (i < pattern.size() && !literal.empty() &&
      (pattern[i] == '*' || pattern[i] == '?' || pattern[i] == '{' || pattern[i] == '+'))
    literal.pop_back();
  return literal;
}

// Finds one literal in many lines (Horspool): markup is full of "<", so the
// literal's first character alone says little. Wide characters share skip
// entries by their low byte, each entry keeping the smallest (safe) skip.
template <class CharT>
class BasicLiteralFinder {
 public:
  using String = std::basic_string<CharT>;
  using View = std::basic_string_view<CharT>;

  BasicLiteralFinder() = default;
  explicit BasicLiteralFinder(String literal) : m_literal(std::move(literal)) {
    m_skip.fill(m_literal.size());
    for (size_t i = 0; i + 1 < m_literal.size(); ++i) m_skip[Key(m_literal[i])] = m_literal.size() - 1 - i;
  }
  // True when the text contains the literal (always for an empty literal).
  bool FoundIn(View text) const {
    const size_t n = m_literal.size();
#ifdef __GLIBC__
    // glibc's memmem is vectorised and beats the loop below on bytes.
    if constexpr (sizeof(CharT) == 1)
      return n == 0 || ::memmem(text.data(), text.size(), m_literal.data(), n) != nullptr;
#endif
    if (n < 3) return text.find(m_literal) != View::npos;
    const CharT* literal = m_literal.data();
    const CharT last = literal[n - 1];
    for (size_t pos = 0; pos + n <= text.size();) {
      const CharT c = text[pos + n - 1];
      if (c == last && std::equal(literal, literal + n - 1, text.data() + pos)) return true;
      pos += m_skip[Key(c)];
    }
    return false;
  }

 private:
  static size_t Key(CharT c) { return static_cast<size_t>(c) & 0xFF; }
  String m_literal;
  std::array<size_t, 256> m_skip{};
};

using LiteralFinder = BasicLiteralFinder<char>;
using WideLiteralFinder = BasicLiteralFinder<char32_t>;

}  // namespace kanro::listing
