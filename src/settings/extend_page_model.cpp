#include "settings/extend_page_model.h"

#include <optional>
#include <utility>

#include "app/paths.h"
#include "app/settings_store.h"
#include "settings/storable_text.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/text_file.h"
#include "text/tokenizer.h"

namespace kanro::settings {
namespace {

std::string RuleLine(const RuleRow& row, const std::string& extraFields) {
  return row.pattern + "\t" + row.replacement + "\t" + (row.enabled ? "1" : "0") + extraFields;
}

bool StartsWithIgnoringCase(const std::string& text, const std::string& prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != b) return false;
  }
  return true;
}

}  // namespace

void RulesFile::Load(const std::filesystem::path& path) {
  m_lines.clear();
  m_ruleLines.clear();
  m_rows.clear();
  m_bExists = text::ForEachLine(path, [this](std::string& line) {
    const std::vector<std::string> fields = text::SplitFields(line, '\t');
    if (fields.size() >= 3) {
      m_ruleLines.push_back(static_cast<int>(m_lines.size()));
      m_rows.push_back({fields[0], fields[1], fields[2] == "1", static_cast<int>(m_lines.size())});
    }
    m_lines.push_back(std::move(line));
    return true;
  }) || std::filesystem::exists(path);
}

std::vector<std::string> RulesFile::Compose(const std::vector<RuleRow>& rows) const {
  std::vector<std::string> lines;
  std::vector<const RuleRow*> written;
  for (const RuleRow& row : rows)
    if (row.sourceLine >= 0 || !row.pattern.empty() || !row.replacement.empty()) written.push_back(&row);
  auto lineOf = [this](const RuleRow& row) {
    if (row.sourceLine >= 0 && static_cast<size_t>(row.sourceLine) < m_lines.size()) {
      const std::string& original = m_lines[static_cast<size_t>(row.sourceLine)];
      const std::vector<std::string> fields = text::SplitFields(original, '\t');
      if (fields.size() >= 3 && fields[0] == row.pattern && fields[1] == row.replacement &&
          (fields[2] == "1") == row.enabled)
        return original;
      std::string extra;
      for (size_t i = 3; i < fields.size(); ++i) extra += "\t" + fields[i];
      return RuleLine(row, extra);
    }
    return RuleLine(row, "");
  };
  // Rows fill the places of the file's rule lines in order; the other lines
  // stay where they are; further rows go to the end.
  size_t next = 0;
  size_t slot = 0;
  for (size_t i = 0; i < m_lines.size(); ++i) {
    if (slot < m_ruleLines.size() && m_ruleLines[slot] == static_cast<int>(i)) {
      ++slot;
      if (next < written.size()) lines.push_back(lineOf(*written[next++]));
    } else {
      lines.push_back(m_lines[i]);
    }
  }
  while (next < written.size()) lines.push_back(lineOf(*written[next++]));
  return lines;
}

bool RulesFile::Save(const std::filesystem::path& path, const std::vector<RuleRow>& rows) const {
  std::vector<std::string> lines = Compose(rows);
  if (lines == m_lines && (m_bExists || lines.empty())) return true;
  return text::WriteLines(path, lines);
}

ExtendPageModel::ExtendPageModel()
    : m_bAlert(GetProfileInt("Window", "Alert", 1)),
      m_nAlertMinute(GetProfileInt("Window", "AlertMinute", 1)),
      m_bCheckVersion(GetProfileInt("Download", "CheckVersion", 1)),
      m_strExistTerm(GetProfileString("Download", "ExistTerm", text::Utf8ToCp932("∞"))),
      m_nMaxRank(GetProfileInt("Window", "MaxRank", 5)) {
  m_file.Load(app::RulesPath());
  m_rows = m_file.LoadedRows();
}

const std::vector<std::string>& ExtendPageModel::ExistTermItems() {
  static const std::vector<std::string> items = {"1", "7", "14", "30", text::Utf8ToCp932("∞")};
  return items;
}

const std::vector<int>& ExtendPageModel::MaxRankItems() {
  static const std::vector<int> items = {0, 5, 10, 15, 20, 30, 40, 50};
  return items;
}

int ExtendPageModel::ExistTermIndex() const {
  if (m_strExistTerm.empty()) return -1;
  const auto& items = ExistTermItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (StartsWithIgnoringCase(items[i], m_strExistTerm)) return static_cast<int>(i);
  return -1;
}

int ExtendPageModel::MaxRankIndex() const {
  const std::string stored = std::to_string(m_nMaxRank);
  const auto& items = MaxRankItems();
  for (size_t i = 0; i < items.size(); ++i)
    if (StartsWithIgnoringCase(std::to_string(items[i]), stored)) return static_cast<int>(i);
  return -1;
}

void ExtendPageModel::ChooseExistTerm(int index) {
  if (index >= 0 && index < static_cast<int>(ExistTermItems().size()))
    m_strExistTerm = ExistTermItems()[static_cast<size_t>(index)];
}

void ExtendPageModel::ChooseMaxRank(int index) {
  if (index >= 0 && index < static_cast<int>(MaxRankItems().size()))
    m_nMaxRank = MaxRankItems()[static_cast<size_t>(index)];
}

void ExtendPageModel::SetEditTexts(const std::string& search, const std::string& replace) {
  m_strSearch = search;
  m_strReplace = replace;
}

bool ExtendPageModel::EditPending() const {
  if (m_nEditedRow < 0) return false;
  const RuleRow& row = m_rows[static_cast<size_t>(m_nEditedRow)];
  return m_strSearch != text::Cp932ToUtf8(row.pattern) || m_strReplace != text::Cp932ToUtf8(row.replacement);
}

bool ExtendPageModel::MayLeaveEditedRow(const std::function<Answer()>& ask, std::string* message) {
  if (m_bAsking) return false;
  if (!EditPending()) return true;
  m_bAsking = true;
  const Answer answer = ask();
  m_bAsking = false;
  if (answer == Answer::Cancel) return false;
  if (answer == Answer::Yes) return ConfirmEdit(message);
  return true;
}

void ExtendPageModel::SelectRow(int row) {
  m_nEditedRow = row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1;
  if (m_nEditedRow < 0) {
    m_strSearch.clear();
    m_strReplace.clear();
    return;
  }
  m_strSearch = text::Cp932ToUtf8(m_rows[static_cast<size_t>(m_nEditedRow)].pattern);
  m_strReplace = text::Cp932ToUtf8(m_rows[static_cast<size_t>(m_nEditedRow)].replacement);
}

bool ExtendPageModel::ConfirmEdit(std::string* message) {
  if (m_nEditedRow < 0) return false;
  RuleRow& row = m_rows[static_cast<size_t>(m_nEditedRow)];
  // A text left as shown keeps its own bytes (undefined CP932 bytes are shown
  // as a placeholder character).
  std::optional<std::string> pattern = m_strSearch == text::Cp932ToUtf8(row.pattern)
                                           ? std::optional<std::string>(row.pattern)
                                           : ToStorableText(m_strSearch, LineBreaks::Refuse, message);
  if (!pattern) return false;
  std::optional<std::string> replacement = m_strReplace == text::Cp932ToUtf8(row.replacement)
                                               ? std::optional<std::string>(row.replacement)
                                               : ToStorableText(m_strReplace, LineBreaks::Refuse, message);
  if (!replacement) return false;
  row.pattern = std::move(*pattern);
  row.replacement = std::move(*replacement);
  return true;
}

int ExtendPageModel::AddRow() {
  m_rows.push_back(RuleRow{});
  return static_cast<int>(m_rows.size()) - 1;
}

void ExtendPageModel::DeleteEditedRow() {
  if (m_nEditedRow < 0) return;
  m_rows.erase(m_rows.begin() + m_nEditedRow);
  SelectRow(-1);
}

void ExtendPageModel::MoveUp() {
  if (!CanMoveUp()) return;
  std::swap(m_rows[static_cast<size_t>(m_nEditedRow)], m_rows[static_cast<size_t>(m_nEditedRow - 1)]);
  --m_nEditedRow;
}

void ExtendPageModel::MoveDown() {
  if (!CanMoveDown()) return;
  std::swap(m_rows[static_cast<size_t>(m_nEditedRow)], m_rows[static_cast<size_t>(m_nEditedRow + 1)]);
  ++m_nEditedRow;
}

void ExtendPageModel::SetEnabled(int row, bool enabled) {
  if (row >= 0 && row < static_cast<int>(m_rows.size())) m_rows[static_cast<size_t>(row)].enabled = enabled;
}

std::vector<InvalidPattern> ExtendPageModel::InvalidPatterns() const {
  std::vector<InvalidPattern> invalid;
  for (const RuleRow& row : m_rows) {
    if (row.pattern.empty() && row.replacement.empty()) continue;
    text::WRegex regex(text::Cp932ToWide(row.pattern));
    if (!regex.valid()) invalid.push_back({text::Cp932ToUtf8(row.pattern), regex.error()});
  }
  return invalid;
}

bool ExtendPageModel::Save() {
  return WriteProfileInt("Window", "AlertMinute", m_nAlertMinute) && WriteProfileInt("Window", "Alert", m_bAlert) &&
         WriteProfileInt("Download", "CheckVersion", m_bCheckVersion) &&
         WriteProfileString("Download", "ExistTerm", m_strExistTerm) &&
         WriteProfileInt("Window", "MaxRank", m_nMaxRank) && m_file.Save(app::RulesPath(), m_rows);
}

}  // namespace kanro::settings
