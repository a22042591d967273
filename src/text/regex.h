#pragma once
// The one regular-expression wrapper. ECMAScript grammar, case-sensitive, on
// PCRE2 with JIT: 8-bit non-UTF mode for byte strings (CP932), 32-bit mode for
// wide strings. The wrapper keeps ECMAScript meanings where the engines differ:
//   \s is ECMAScript white space and line terminators, \d is [0-9], \w is
//   [A-Za-z0-9_]; "." is anything but \n, \r, U+2028, U+2029; "[]" matches
//   nothing and "[^]" anything; \uXXXX works; "$" matches only at the end; a
//   backreference to a later (or still open) group does not compile, and one
//   to a group that took no part fails to match, as with std::regex. Stacked
//   quantifiers ("a**", "a*+") do not compile. Lookbehind "(?<=" "(?<!" is
//   accepted; other "(?" groups and inline flags are not.
// In byte strings a CP932 double-byte character written in the pattern is one
// literal character (its trail byte may look like "[" or "\"), and replacing
// steps over a whole double-byte character after an empty match.
// Replacement formats follow ECMAScript: $& and $0 the whole match, $1..$99 the
// groups (empty when a group took no part), $$ a dollar, $` and $' the prefix
// and suffix, anything else literal.
// Every match runs with a bounded JIT stack and a match limit; a match that hits
// the limit counts as no match (and is counted), never a hang or a crash. A
// search over a long subject also gives up (counted the same way) after about
// half a second, which only patterns with quadratic work per line reach.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::text {

template <class CharT>
class BasicRegex {
 public:
  using String = std::basic_string<CharT>;
  using View = std::basic_string_view<CharT>;

  // One match: group 0 is the whole match. A group that took no part has
  // matched() false.
  struct Group {
    size_t begin = 0;
    size_t end = 0;
    bool matched = false;
    size_t length() const { return end - begin; }
  };
  struct Match {
    std::vector<Group> groups;
    size_t begin() const { return groups.empty() ? 0 : groups[0].begin; }
    size_t end() const { return groups.empty() ? 0 : groups[0].end; }
  };

  // An empty regex: invalid, matches nothing.
  BasicRegex();
  // Compiles the pattern. Check valid(); an invalid pattern matches nothing.
  explicit BasicRegex(View pattern);
  ~BasicRegex();
  BasicRegex(BasicRegex&&) noexcept;
  BasicRegex& operator=(BasicRegex&&) noexcept;
  BasicRegex(const BasicRegex&) = delete;
  BasicRegex& operator=(const BasicRegex&) = delete;

  bool valid() const;
  // Why the pattern did not compile, a Japanese sentence in UTF-8 (empty when valid).
  const std::string& error() const;
  // Number of capturing groups.
  size_t groupCount() const;

  // Finds the leftmost match at or after start. False when there is none, the
  // pattern is invalid, or the match limit was hit. The text before start is
  // still seen by \b and lookbehind; "^" matches only at offset 0.
  bool Search(View subject, Match* match = nullptr, size_t start = 0) const;
  // Like Search, but the match must begin exactly at start (a sticky match).
  bool MatchAt(View subject, size_t start, Match* match = nullptr) const;
  // True when the pattern matches anywhere in the subject.
  bool Contains(View subject) const { return Search(subject); }

  // Replaces every non-overlapping match, left to right, by the expanded
  // format (std::regex_replace with the default flags, empty matches handled
  // as std::regex_iterator does). An invalid pattern returns the subject.
  String ReplaceAll(View subject, View format) const;
  // Same, appending to out; returns the number of replacements made.
  size_t ReplaceAllInto(View subject, View format, String& out) const;
  // Same, but gives up (false; out holds a partial result) once out has
  // grown past maxOutput or this thread's regex deadline has passed.
  bool ReplaceAllBounded(View subject, View format, String& out, size_t maxOutput, size_t* count) const;

  // Expands an ECMAScript replacement format for one match.
  static void ExpandFormat(View subject, const Match& match, View format, String& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

using Regex = BasicRegex<char>;       // CP932 byte strings
using WRegex = BasicRegex<char32_t>;  // wide strings (UTF-32)

// How many matches, in the whole process, were abandoned at the match limit.
uint64_t RegexLimitHits();

// A deadline for the regex work of this thread while the object lives: a
// search over a long subject still running then gives up as at the match
// limit (and is counted), and ReplaceAllBounded stops. Deadlines nest; the
// earlier one holds.
class ScopedRegexDeadline {
 public:
  explicit ScopedRegexDeadline(std::chrono::steady_clock::duration budget);
  ~ScopedRegexDeadline();
  ScopedRegexDeadline(const ScopedRegexDeadline&) = delete;
  ScopedRegexDeadline& operator=(const ScopedRegexDeadline&) = delete;
  // True when this thread has a deadline and it has passed.
  static bool Passed();

 private:
  std::chrono::steady_clock::time_point previous_;
};

}  // namespace kanro::text
