#include "listing/replace_rule.h"

namespace kanro::listing {

CReplaceRule::CReplaceRule(text::WRegex pattern, std::u32string replacement)
    : m_pattern(std::move(pattern)), m_replacement(std::move(replacement)) {}
void CReplaceRule::Apply(std::u32string&, std::u32string&) const {}
ReplaceRuleSet LoadReplaceRules(const std::filesystem::path&) { return {}; }
void CollapseWhiteSpace(std::u32string&, std::u32string&) {}

}  // namespace kanro::listing
