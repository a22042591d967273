#pragma once
// The fixed rewrites a site converter applies to each listing line, in order.
// Kept as data so that tools (the benchmarks) can run the very same patterns.
#include <string>
#include <vector>

#include "listing/literal_prefix.h"
#include "text/regex.h"

namespace kanro::sites {

// When a rewrite applies.
enum class RewriteWhen {
  Always,
  RemoveAnchor,  // "Download"/"RemoveAnchor" is set
  KeepAnchor,    // "Download"/"RemoveAnchor" is not set
  NoGCode,       // "Download"/"GCode" is 0
};

struct SiteRewrite {
  std::string pattern;      // ECMAScript, over the CP932 bytes of the line
  std::string replacement;  // ECMAScript replacement format
  RewriteWhen when;
};

// The rewrites of one site compiled once, with the literal each needs in a
// line before its pattern is worth running.
class SiteRewriter {
 public:
  explicit SiteRewriter(const std::vector<SiteRewrite>& rewrites) : m_rewrites(rewrites) {
    for (const SiteRewrite& rewrite : rewrites) {
      m_patterns.emplace_back(rewrite.pattern);
      m_literals.emplace_back(listing::RequiredLiteral<char>(rewrite.pattern));
    }
  }

  // Calls apply(pattern, literal, replacement) for every rewrite that the
  // settings switch on, in order.
  template <class Apply>
  void ForEach(bool removeAnchor, bool removeGCode, Apply apply) const {
    for (size_t i = 0; i < m_rewrites.size(); ++i) {
      const RewriteWhen when = m_rewrites[i].when;
      if ((when == RewriteWhen::RemoveAnchor && !removeAnchor) || (when == RewriteWhen::KeepAnchor && removeAnchor) ||
          (when == RewriteWhen::NoGCode && !removeGCode))
        continue;
      apply(m_patterns[i], m_literals[i], m_rewrites[i].replacement);
    }
  }

 private:
  const std::vector<SiteRewrite>& m_rewrites;
  std::vector<text::Regex> m_patterns;
  std::vector<listing::LiteralFinder> m_literals;
};

}  // namespace kanro::sites
