#include "listing/replace_rule.h"

#include <cstdio>
#include <mutex>
#include <set>

#include "text/codepage.h"
#include "text/text_file.h"
#include "text/tokenizer.h"

namespace kanro::listing {
namespace {

// ECMAScript white space and line terminators, the same set as the regex
// wrapper's \s over wide text.
bool IsWhiteSpace(char32_t c) {
  if (c <= 0x20) return c == 0x20 || (c >= 0x09 && c <= 0x0D);
  if (c < 0xA0) return false;
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

CReplaceRule::CReplaceRule(text::WRegex pattern, std::u32string replacement)
    : m_pattern(std::move(pattern)), m_replacement(std::move(replacement)) {}

void CReplaceRule::Apply(std::u32string& text, std::u32string& scratch) const {
  ReplaceAllUnlessLimited<char32_t>(m_pattern, m_replacement, text, scratch);
}

ReplaceRuleSet LoadReplaceRules(const std::filesystem::path& path) {
  ReplaceRuleSet set;
  text::ForEachLine(path, [&set](std::string& line) {
    const std::vector<std::string> fields = text::SplitFields(line, '\t');
    if (fields.size() < 3 || fields[2] != "1") return true;
    text::WRegex pattern(text::Cp932ToWide(fields[0]));
    if (!pattern.valid()) {
      ReportInvalidPatternOnce(fields[0], pattern.error());
      set.invalidPatterns.push_back(fields[0]);
      return true;
    }
    set.rules.emplace_back(std::move(pattern), text::Cp932ToWide(fields[1]));
    return true;
  });
  return set;
}

void CollapseWhiteSpace(std::u32string& text, std::u32string& scratch) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && !IsWhiteSpace(text[i])) ++i;
  if (i == n) return;
  scratch.assign(text, 0, i);
  while (i < n) {
    if (IsWhiteSpace(text[i])) {
      scratch += U' ';
      while (i < n && IsWhiteSpace(text[i])) ++i;
    } else {
      scratch += text[i++];
    }
  }
  text.swap(scratch);
}

}  // namespace kanro::listing
