#include "listing/replace_rule.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "app/messages.h"
#include "listing/literal_prefix.h"
#include "text/codepage.h"
#include "text/text_file.h"
#include "text/tokenizer.h"

namespace kanro::listing {
namespace {

// ECMAScript white space and line terminators, the same set as the regex
// wrapper's \s over wide text.
inline bool IsWhiteSpace(char32_t c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  if (c < 0xA0) return false;
  if (c > 0x3000) return c == 0xFEFF;  // kana and kanji, the common case
  return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// Names a broken pattern on stderr the first time this process meets it; the
// rules are loaded several times per download run.
void ReportInvalidPatternOnce(const std::string& pattern, const std::string& reason) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard<std::mutex> lock(mutex);
  if (!reported.insert(pattern).second) return;
  std::fprintf(stderr, "Replace.txt: skipped the rule with the invalid pattern \"%s\" (%s)\n",
               text::Cp932ToUtf8(pattern).c_str(), reason.c_str());
}

}  // namespace

namespace {

// The literal as bytes when it is plain ASCII without white space, else "".
std::string AsciiLiteral(const std::u32string& literal) {
  std::string bytes;
  for (const char32_t c : literal) {
    if (c >= 0x80 || IsWhiteSpace(c)) return {};
    bytes += static_cast<char>(c);
  }
  return bytes;
}

}  // namespace

CReplaceRule::CReplaceRule(std::u32string_view pattern, std::u32string replacement)
    : m_pattern(pattern),
      m_requiredLiteral(RequiredLiteral(pattern)),
      m_bytesLiteral(AsciiLiteral(RequiredLiteral(pattern))),
      m_replacement(std::move(replacement)),
      m_patternText(text::WideToCp932(pattern)) {}

CReplaceRule::Outcome CReplaceRule::Apply(std::u32string& text, std::u32string& scratch, size_t maxLength) const {
  if (!m_requiredLiteral.FoundIn(text)) return Outcome::Unchanged;
  const text::ScopedRegexDeadline deadline(kRuleTimeBudget);
  // As ReplaceAllUnlessLimited: a limit hit may come from another thread, so
  // only a second one counts as this rule's.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const uint64_t hitsBefore = text::RegexLimitHits();
    scratch.clear();
    size_t count = 0;
    const bool complete = m_pattern.ReplaceAllBounded(text, m_replacement, scratch, maxLength, &count);
    if (!complete) return text::ScopedRegexDeadline::Passed() ? Outcome::OverTime : Outcome::TooLong;
    if (text::RegexLimitHits() != hitsBefore) {
      if (text::ScopedRegexDeadline::Passed()) return Outcome::OverTime;
      continue;
    }
    if (count == 0) return Outcome::Unchanged;
    text.swap(scratch);
    return Outcome::Changed;
  }
  return Outcome::Unchanged;
}

ReplaceRuleSet LoadReplaceRules(const std::filesystem::path& path) {
  ReplaceRuleSet set;
  text::ForEachLine(path, [&set](std::string& line) {
    const std::vector<std::string> fields = text::SplitFields(line, '\t');
    if (fields.size() < 3 || fields[2] != "1") return true;
    CReplaceRule rule(text::Cp932ToWide(fields[0]), text::Cp932ToWide(fields[1]));
    if (!rule.valid()) {
      ReportInvalidPatternOnce(fields[0], rule.error());
      set.invalidPatterns.push_back(fields[0]);
      return true;
    }
    set.rules.push_back(std::move(rule));
    return true;
  });
  return set;
}

void ReportRuleBound(const CReplaceRule& rule, CReplaceRule::Outcome outcome) {
  if (outcome != CReplaceRule::Outcome::OverTime && outcome != CReplaceRule::Outcome::TooLong) return;
  static std::mutex mutex;
  static std::set<std::pair<std::string, CReplaceRule::Outcome>> reported;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!reported.insert({rule.PatternText(), outcome}).second) return;
  }
  const char* why = outcome == CReplaceRule::Outcome::OverTime ? "は時間がかかりすぎるため" : "は行を長くしすぎるため";
  app::CurrentNotifier().Warn(text::Utf8ToCp932("Replace.txt の規則「") + rule.PatternText() + text::Utf8ToCp932("」") +
                              text::Utf8ToCp932(why) + text::Utf8ToCp932("、その行には使いませんでした。"));
}

void CollapseWhiteSpace(std::u32string& text) {
  // In place: the text only ever shrinks. Most lines need no change at all,
  // so nothing is written until the first run that is not a single blank.
  const size_t n = text.size();
  char32_t* const chars = text.data();
  size_t read = 0;
  while (read < n) {
    if (IsWhiteSpace(chars[read]) && (chars[read] != U' ' || (read + 1 < n && IsWhiteSpace(chars[read + 1]))))
      break;
    ++read;
  }
  size_t write = read;
  while (read < n) {
    if (IsWhiteSpace(chars[read])) {
      chars[write++] = U' ';
      while (++read < n && IsWhiteSpace(chars[read])) {
      }
    } else {
      chars[write++] = chars[read++];
    }
  }
  text.resize(write);
}

}  // namespace kanro::listing
