#pragma once
// The user's rewrite rules (Replace.txt): one rule per line, "pattern<TAB>
// replacement<TAB>flag", used only when the flag is exactly "1". Rules run over
// wide text after white space was collapsed, in file order, each replacing
// every match by its ECMAScript-style format.
#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "listing/literal_prefix.h"
#include "text/regex.h"

namespace kanro::listing {

class CReplaceRule {
 public:
  CReplaceRule(std::u32string_view pattern, std::u32string replacement);
  bool valid() const { return m_pattern.valid(); }
  const std::string& error() const { return m_pattern.error(); }
  // False when the rule certainly cannot match the line before any rule ran:
  // its literal is plain ASCII without white space, and such a literal can
  // only come from the same ASCII bytes of the CP932 line (folding white
  // space cannot create it). True when it may match.
  bool MayMatchLine(std::string_view cp932) const { return m_bytesLiteral.FoundIn(cp932); }
  // What Apply did.
  enum class Outcome { Unchanged, Changed, OverTime, TooLong };
  // Replaces every match in the text. A match abandoned at the engine's
  // limit, a rule that used up its time budget (OverTime) and a result longer
  // than maxLength (TooLong) leave the text as it was.
  Outcome Apply(std::u32string& text, std::u32string& scratch, size_t maxLength = static_cast<size_t>(-1)) const;
  // The pattern as written in Replace.txt (CP932).
  const std::string& PatternText() const { return m_patternText; }

 private:
  text::WRegex m_pattern;
  WideLiteralFinder m_requiredLiteral;
  LiteralFinder m_bytesLiteral;  // empty (finds everywhere) unless usable on bytes
  std::u32string m_replacement;
  std::string m_patternText;
};

// Bounds of one rule on one line: its time, and how long it may make the line.
inline constexpr auto kRuleTimeBudget = std::chrono::milliseconds(200);
inline constexpr size_t kRuleGrowthFactor = 64;
inline constexpr size_t kRuleMinLength = 4096;
inline constexpr size_t kRuleMaxLength = size_t{4} << 20;
// The longest result the rules may make of a line that came to them this long.
inline size_t RuleLengthLimit(size_t inputLength) {
  const size_t grown = inputLength > kRuleMaxLength / kRuleGrowthFactor ? kRuleMaxLength : inputLength * kRuleGrowthFactor;
  return grown < kRuleMinLength ? kRuleMinLength : grown;
}

// What loading Replace.txt gave.
struct ReplaceRuleSet {
  std::vector<CReplaceRule> rules;
  // Patterns (CP932) of enabled lines that did not compile; they were skipped.
  std::vector<std::string> invalidPatterns;
};

// Loads the rules. A missing file gives no rules; a read error keeps the rules
// read so far. Each invalid pattern is named on stderr once per process.
ReplaceRuleSet LoadReplaceRules(const std::filesystem::path& path);

// Tells the user, once per process and rule, that the rule hit a bound
// (OverTime or TooLong) and was left out on a line.
void ReportRuleBound(const CReplaceRule& rule, CReplaceRule::Outcome outcome);

// Turns every run of white space (ECMAScript \s) into one blank.
void CollapseWhiteSpace(std::u32string& text);

// A regex replace-all that leaves the text unchanged when the engine gave up
// on a match at its limit. Returns true when the text changed. The limit
// counter is process-wide, so a hit seen during the replace may come from
// another thread: the replace is tried once more, and only a second hit
// counts as this pattern's.
template <class CharT>
bool ReplaceAllUnlessLimited(const text::BasicRegex<CharT>& pattern,
                             std::basic_string_view<CharT> format,
                             std::basic_string<CharT>& subject,
                             std::basic_string<CharT>& scratch) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const uint64_t hitsBefore = text::RegexLimitHits();
    scratch.clear();
    const size_t count = pattern.ReplaceAllInto(subject, format, scratch);
    if (text::RegexLimitHits() != hitsBefore) continue;
    if (count == 0) return false;
    subject.swap(scratch);
    return true;
  }
  return false;
}

}  // namespace kanro::listing
