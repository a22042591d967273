#pragma once
// The extend page without widgets: retention, alert, ranking size, version
// check and the rewrite rules of Replace.txt with the row being edited.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/setting_page_model.h"

namespace kanro::settings {

struct RuleRow {
  std::string pattern;      // CP932
  std::string replacement;  // CP932
  bool enabled = true;
  int sourceLine = -1;      // line of Replace.txt it came from, -1 when new
};

// Replace.txt as the page edits it: the rule rows, and every line in file
// order so that notes, blank lines, short lines and fields beyond the third
// are written back where they were. Lines split exactly as the rule loader
// splits them (tabs only).
class RulesFile {
 public:
  void Load(const std::filesystem::path& path);
  const std::vector<RuleRow>& LoadedRows() const { return m_rows; }
  // The lines to write for the rows: untouched rows keep their own bytes,
  // rows with both texts empty are left out.
  std::vector<std::string> Compose(const std::vector<RuleRow>& rows) const;
  // Writes atomically; nothing is written when the lines are those of the file.
  bool Save(const std::filesystem::path& path, const std::vector<RuleRow>& rows) const;

 private:
  std::vector<std::string> m_lines;
  std::vector<int> m_ruleLines;  // indexes of the lines that hold a rule
  std::vector<RuleRow> m_rows;
  bool m_bExists = false;
};

class ExtendPageModel : public SettingPageModel {
 public:
  enum class Answer { Yes, No, Cancel };

  ExtendPageModel();  // reads the settings and Replace.txt

  // Retention items "1" "7" "14" "30" "∞" (CP932) and the ranking sizes.
  static const std::vector<std::string>& ExistTermItems();
  static const std::vector<int>& MaxRankItems();
  // The first item beginning with the stored text (ASCII case ignored), -1
  // when none does; an empty text matches nothing.
  int ExistTermIndex() const;
  int MaxRankIndex() const;
  // A stored value without its item is kept until the user picks an item.
  void ChooseExistTerm(int index);
  void ChooseMaxRank(int index);

  // Rules.
  const std::vector<RuleRow>& Rows() const { return m_rows; }
  int EditedRow() const { return m_nEditedRow; }
  const std::string& EditSearch() const { return m_strSearch; }    // UTF-8, as in the edit box
  const std::string& EditReplace() const { return m_strReplace; }  // UTF-8
  void SetEditTexts(const std::string& search, const std::string& replace);
  // The edit boxes hold texts that differ from their row's.
  bool EditPending() const;
  // Before the selection leaves the edited row: asks about a pending edit,
  // once (a question already open refuses). Yes stores the edit in its row,
  // No drops it; false (stay) for Cancel or an edit that cannot be stored.
  bool MayLeaveEditedRow(const std::function<Answer()>& ask, std::string* message);
  // The selection is now row (-1 for none): the edit boxes take its texts.
  void SelectRow(int row);
  // 確定: the edit boxes' texts into the edited row.
  bool ConfirmEdit(std::string* message);
  int AddRow();  // appends an empty, enabled row; returns its index
  void DeleteEditedRow();
  void MoveUp();    // the edited row, with its check state and pending edit
  void MoveDown();
  void SetEnabled(int row, bool enabled);
  bool CanMoveUp() const { return m_nEditedRow > 0; }
  bool CanMoveDown() const { return m_nEditedRow >= 0 && m_nEditedRow + 1 < static_cast<int>(m_rows.size()); }

  std::vector<InvalidPattern> InvalidPatterns() const override;
  bool Save() override;

  int m_bAlert, m_nAlertMinute, m_bCheckVersion;
  std::string m_strExistTerm;  // CP932, as stored
  int m_nMaxRank;

 private:
  RulesFile m_file;
  std::vector<RuleRow> m_rows;
  int m_nEditedRow = -1;
  std::string m_strSearch, m_strReplace;
  bool m_bAsking = false;
};

}  // namespace kanro::settings
