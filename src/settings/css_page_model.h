#pragma once
// The stylesheet page without widgets: the stylesheets of Css/ with the
// description, author and date of their leading comment, the check for hand
// edits of Kanro.css, and making one of them the active Kanro.css.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "settings/setting_page_model.h"

namespace kanro::settings {

struct StylesheetInfo {
  std::string fileName;  // bytes of the file name
  std::string description, author, date;  // CP932
};

// The metadata of a stylesheet's lines: from the first line holding "/*" on,
// "@explanation", "@author" or "@update" (the first of them a line holds)
// sets its field, up to and including the line holding "*/".
void ReadStylesheetComment(const std::vector<std::string>& lines, StylesheetInfo& info);
// Every "*.css" file of the folder, the last one found first; an unreadable
// file is listed with empty metadata.
std::vector<StylesheetInfo> ListStylesheets(const std::filesystem::path& folder);
// Byte-wise sort on column 0 file name, 1 description, 2 author, 3 date.
void SortStylesheets(std::vector<StylesheetInfo>& list, int column, bool ascending);
// A plain file name (no folder part) of a file that exists in the folder.
bool IsStylesheetName(const std::filesystem::path& folder, const std::string& name);
// True when both files can be read and their bytes differ (length included).
bool FilesDiffer(const std::filesystem::path& a, const std::filesystem::path& b);
// Copies through a temporary file beside the target and a rename.
bool CopyFileReplacing(const std::filesystem::path& from, const std::filesystem::path& to);
// Makes Css/name the active Kanro.css and stores "CssFile"; a stylesheet
// shipped with the program but missing from an older data folder's Css/ is
// copied there first. False (nothing changed) when there is no such file.
bool ActivateStylesheet(const std::string& name);
// The name proposed for saving hand edits of the stylesheet name.
std::string ProposedSaveName(const std::string& name);

class CssPageModel : public SettingPageModel {
 public:
  CssPageModel();  // reads "CssFile" and lists Css/

  const std::vector<StylesheetInfo>& Rows() const { return m_rows; }
  // The row of the active stylesheet, -1 when it is not listed.
  int ActiveRow() const;
  // Kanro.css holds hand edits: it differs from the active stylesheet.
  bool ActiveIsModified() const;
  // The text of the question about hand edits (UTF-8).
  std::string ModificationQuestion() const;

  // Column header clicks: the same column again flips the order.
  void SortBy(int column);
  int SortColumn() const { return m_nSortColumn; }
  bool SortAscending() const { return m_bAscending; }

  void Select(int row) { m_nSelected = row >= 0 && row < static_cast<int>(m_rows.size()) ? row : -1; }
  int Selected() const { return m_nSelected; }

  // Makes the selected stylesheet Kanro.css (適用 and the "No" answer).
  bool ApplySelected();
  // Saves Kanro.css under the chosen file (the "Yes" answer).
  bool SaveEditsAs(const std::filesystem::path& target);

  // Copies the selection when it is not the active stylesheet already.
  bool Save() override;
  // Puts back Kanro.css and "CssFile" as they were when the page opened.
  void Discard() override;

 private:
  bool Activate(const std::string& name);

  std::string m_strInitialName;
  std::string m_strActiveName;
  std::vector<StylesheetInfo> m_rows;
  int m_nSelected = -1;
  int m_nSortColumn = -1;
  bool m_bAscending = true;
  std::optional<std::string> m_originalCss;  // Kanro.css before this page first changed it
};

}  // namespace kanro::settings
