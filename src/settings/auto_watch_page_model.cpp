#include "settings/auto_watch_page_model.h"

#include <optional>
#include <utility>

#include "settings/storable_text.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/tokenizer.h"
#include "view/listing_day_cache.h"

namespace kanro::settings {
namespace {

// The typed texts as the fields of a rule (CP932); the enable flag is kept.
std::optional<app::AutoWatchRule> ToRule(const RuleTexts& texts, app::AutoWatchRule rule, std::string* message) {
  const std::pair<const std::string*, std::string*> fields[] = {{&texts.pattern, &rule.pattern},
                                                                {&texts.programs, &rule.programs},
                                                                {&texts.channels, &rule.channels},
                                                                {&texts.weekdays, &rule.weekdays},
                                                                {&texts.time, &rule.time}};
  for (const auto& [typed, field] : fields) {
    std::optional<std::string> stored = ToStorableText(*typed, LineBreaks::Refuse, message);
    if (!stored) return std::nullopt;
    *field = std::move(*stored);
  }
  // Entries are stored as the programme list stores them: each with a comma.
  std::string programs;
  // Blanks typed after a comma are no part of an entry.
  for (std::string entry : text::TokenizeList(rule.programs)) {
    entry.erase(0, entry.find_first_not_of(' '));
    entry.erase(entry.find_last_not_of(' ') + 1);
    if (!entry.empty()) programs += entry + ",";
  }
  rule.programs = programs;
  rule.unreadLine.reset();
  return rule;
}

}  // namespace

AutoWatchPageModel::AutoWatchPageModel(int today, int64_t now) : m_nToday(today), m_nNow(now) {
  app::LoadAutoWatchRules(m_rules);
  m_loaded = m_rules;
}

void AutoWatchPageModel::Select(int index) {
  m_nSelected = index >= 0 && index < static_cast<int>(m_rules.size()) ? index : -1;
}

RuleTexts AutoWatchPageModel::TextsOf(const app::AutoWatchRule& rule) {
  if (rule.unreadLine) return {text::Cp932ToUtf8(*rule.unreadLine), "", "", "", ""};
  return {text::Cp932ToUtf8(rule.pattern), text::Cp932ToUtf8(rule.programs), text::Cp932ToUtf8(rule.channels),
          text::Cp932ToUtf8(rule.weekdays), text::Cp932ToUtf8(rule.time)};
}

bool AutoWatchPageModel::SetTexts(const RuleTexts& texts, std::string* message) {
  if (m_nSelected < 0) return false;
  app::AutoWatchRule& current = m_rules[static_cast<size_t>(m_nSelected)];
  // Unchanged texts keep the rule's own bytes (undefined CP932 bytes are
  // shown as placeholders and must not be replaced by them).
  if (TextsOf(current).pattern == texts.pattern && TextsOf(current).programs == texts.programs &&
      TextsOf(current).channels == texts.channels && TextsOf(current).weekdays == texts.weekdays &&
      TextsOf(current).time == texts.time)
    return true;
  std::optional<app::AutoWatchRule> rule = ToRule(texts, current, message);
  if (!rule) return false;
  if (current.unreadLine) rule->enabled = true;
  current = std::move(*rule);
  return true;
}

void AutoWatchPageModel::SetEnabled(int index, bool enabled) {
  if (index < 0 || index >= static_cast<int>(m_rules.size())) return;
  // A line that is no rule stays off until it is edited into one.
  if (m_rules[static_cast<size_t>(index)].unreadLine) return;
  m_rules[static_cast<size_t>(index)].enabled = enabled;
}

int AutoWatchPageModel::Add() {
  m_rules.emplace_back();
  m_nSelected = static_cast<int>(m_rules.size()) - 1;
  return m_nSelected;
}

void AutoWatchPageModel::Delete() {
  if (m_nSelected < 0) return;
  m_rules.erase(m_rules.begin() + m_nSelected);
  if (m_nSelected > 0) --m_nSelected;
  if (m_nSelected >= static_cast<int>(m_rules.size())) m_nSelected = -1;
}

void AutoWatchPageModel::MoveUp() {
  if (!CanMoveUp()) return;
  std::swap(m_rules[static_cast<size_t>(m_nSelected)], m_rules[static_cast<size_t>(m_nSelected - 1)]);
  --m_nSelected;
}

void AutoWatchPageModel::MoveDown() {
  if (!CanMoveDown()) return;
  std::swap(m_rules[static_cast<size_t>(m_nSelected)], m_rules[static_cast<size_t>(m_nSelected + 1)]);
  ++m_nSelected;
}

std::string AutoWatchPageModel::Problem(const app::AutoWatchRule& rule) { return taskpane::AutoWatchRuleProblem(rule); }

RulePreview AutoWatchPageModel::Preview(const RuleTexts& texts, std::string* message) {
  RulePreview preview;
  std::optional<app::AutoWatchRule> rule = ToRule(texts, app::AutoWatchRule{}, message);
  if (!rule) {
    preview.problem = *message;
    return preview;
  }
  if (!m_bPagesRead) {
    m_pages = taskpane::ReadRulePages({}, m_nToday);
    m_bPagesRead = true;
  }
  taskpane::RuleMatchOptions options;
  options.notBefore = view::AbsoluteMinuteOf(m_nNow);
  const taskpane::RuleResult result = taskpane::MatchRules({*rule}, m_pages, options)[0];
  preview.problem = result.problem;
  preview.capped = result.capped;
  for (const taskpane::RuleHit& hit : result.hits)
    preview.lines.push_back(taskpane::HitText(m_pages[hit.page], m_pages[hit.page].day.programmes[hit.programme]));
  return preview;
}

std::vector<InvalidPattern> AutoWatchPageModel::InvalidPatterns() const {
  std::vector<InvalidPattern> invalid;
  for (const app::AutoWatchRule& rule : m_rules) {
    if (!rule.enabled || rule.unreadLine || rule.pattern.empty()) continue;
    text::WRegex regex(text::Cp932ToWide(rule.pattern));
    if (!regex.valid()) invalid.push_back({text::Cp932ToUtf8(rule.pattern), regex.error()});
  }
  return invalid;
}

bool AutoWatchPageModel::Save() {
  if (m_rules == m_loaded) return true;
  if (!app::SaveAutoWatchRules(m_rules)) return false;
  m_loaded = m_rules;
  return true;
}

}  // namespace kanro::settings
