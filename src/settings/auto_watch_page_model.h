#pragma once
// The automatic watch page without widgets: the rules of AutoWatch.txt with
// their selection and check boxes, edited, added, deleted and reordered, each
// shown with what keeps it from running, and a preview of the programmes a
// rule would mark in the downloaded days before it is saved.
#include <string>
#include <vector>

#include "app/auto_watch_rules.h"
#include "settings/setting_page_model.h"
#include "taskpane/auto_watch.h"

namespace kanro::settings {

// What the user typed for one rule (UTF-8).
struct RuleTexts {
  std::string pattern, programs, channels, weekdays, time;
};

struct RulePreview {
  std::string problem;             // why the rule cannot run (UTF-8); empty when it can
  std::vector<std::string> lines;  // the matched programmes, "03/09 21:00 ＮＨＫ総合 ニュース"
  bool capped = false;             // more match than one run would mark
};

class AutoWatchPageModel : public SettingPageModel {
 public:
  // Loads AutoWatch.txt; today (YYYYMMDD) and now (seconds) bound the preview.
  AutoWatchPageModel(int today, int64_t now);

  const std::vector<app::AutoWatchRule>& Rules() const { return m_rules; }
  int Selected() const { return m_nSelected; }
  void Select(int index);
  // The texts of a rule as the edit boxes show them.
  static RuleTexts TextsOf(const app::AutoWatchRule& rule);
  // Stores the typed texts in the selected rule; false with a message when
  // a text cannot be stored (a tab, a line end, a character CP932 lacks).
  bool SetTexts(const RuleTexts& texts, std::string* message);
  void SetEnabled(int index, bool enabled);
  int Add();  // appends an empty, enabled rule, selects it, returns its index
  void Delete();
  void MoveUp();
  void MoveDown();
  bool CanDelete() const { return m_nSelected >= 0; }
  bool CanMoveUp() const { return m_nSelected > 0; }
  bool CanMoveDown() const { return m_nSelected >= 0 && m_nSelected + 1 < static_cast<int>(m_rules.size()); }

  // Why a rule cannot run (UTF-8), empty when it can.
  static std::string Problem(const app::AutoWatchRule& rule);
  // The programmes the texts would match from today on, as a rule that is
  // not saved yet; the pages are read once, at the first preview.
  RulePreview Preview(const RuleTexts& texts, std::string* message);

  // Enabled rules whose pattern does not compile, asked about on OK.
  std::vector<InvalidPattern> InvalidPatterns() const override;
  // Writes AutoWatch.txt, unless the rules are what the file holds.
  bool Save() override;

 private:
  std::vector<app::AutoWatchRule> m_rules;
  std::vector<app::AutoWatchRule> m_loaded;
  int m_nSelected = -1;
  int m_nToday = 0;
  int64_t m_nNow = 0;
  bool m_bPagesRead = false;
  std::vector<taskpane::RulePage> m_pages;
};

}  // namespace kanro::settings
