#pragma once
// A cheap pre-test for regular expressions: the literal text at the start of
// an ECMAScript pattern, which every match must contain. A line without it
// cannot match, so the regex need not run there.
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

}  // namespace kanro::listing
