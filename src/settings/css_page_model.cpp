#include "settings/css_page_model.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "app/paths.h"
#include "app/settings_store.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::settings {
namespace fs = std::filesystem;
namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n\f\v";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The text after the keyword from its first blank on; the keyword itself
// and the rest when no blank follows.
std::string ValueAfter(const std::string& line, size_t keyword) {
  const size_t cut = line.find_first_of(" \n\r\t", keyword);
  return Trim(cut == std::string::npos ? line.substr(keyword) : line.substr(cut));
}

std::string ModifiedTime(const fs::path& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  std::tm local {};
  localtime_r(&st.st_mtime, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &local);
  return text;
}

bool WriteBytesReplacing(const fs::path& to, const std::string& bytes) {
  static std::atomic<unsigned> counter{0};
  fs::path temp = to;
  temp += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ec;
      fs::remove(temp, ec);
      return false;
    }
  }
  std::error_code ec;
  fs::rename(temp, to, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

}  // namespace

void ReadStylesheetComment(const std::vector<std::string>& lines, StylesheetInfo& info) {
  bool inComment = false;
  for (const std::string& line : lines) {
    if (!inComment && line.find("/*") == std::string::npos) continue;
    inComment = true;
    size_t at;
    if ((at = line.find("@explanation")) != std::string::npos) info.description = ValueAfter(line, at);
    else if ((at = line.find("@author")) != std::string::npos) info.author = ValueAfter(line, at);
    else if ((at = line.find("@update")) != std::string::npos) info.date = ValueAfter(line, at);
    if (line.find("*/") != std::string::npos) break;
  }
}

std::vector<StylesheetInfo> ListStylesheets(const fs::path& folder) {
  std::vector<StylesheetInfo> list;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() < 5 || !it->is_regular_file(ec)) continue;
    std::string ext = name.substr(name.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    if (ext != ".css") continue;
    StylesheetInfo info;
    info.fileName = name;
    // Only the leading comment matters; stop reading after it.
    std::vector<std::string> head;
    bool open = false;
    text::ForEachLine(it->path(), [&](std::string& line) {
      if (line.find("/*") != std::string::npos) open = true;
      head.push_back(line);
      return !(open && line.find("*/") != std::string::npos);
    });
    ReadStylesheetComment(head, info);
    list.insert(list.begin(), std::move(info));
  }
  return list;
}

void SortStylesheets(std::vector<StylesheetInfo>& list, int column, bool ascending) {
  auto field = [column](const StylesheetInfo& info) -> const std::string& {
    switch (column) {
      case 1: return info.description;
      case 2: return info.author;
      case 3: return info.date;
      default: return info.fileName;
    }
  };
  // std::string compares as unsigned bytes, the byte-wise CP932 order.
  std::stable_sort(list.begin(), list.end(), [&](const StylesheetInfo& a, const StylesheetInfo& b) {
    return ascending ? field(a) < field(b) : field(b) < field(a);
  });
}

bool IsStylesheetName(const fs::path& folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos) return false;
  std::error_code ec;
  return fs::is_regular_file(folder / name, ec);
}

bool FilesDiffer(const fs::path& a, const fs::path& b) {
  std::optional<std::string> left = text::ReadFileBytes(a);
  std::optional<std::string> right = text::ReadFileBytes(b);
  return left && right && *left != *right;
}

bool CopyFileReplacing(const fs::path& from, const fs::path& to) {
  std::optional<std::string> bytes = text::ReadFileBytes(from);
  return bytes && WriteBytesReplacing(to, *bytes);
}

std::string ProposedSaveName(const std::string& name) { return name == "default.css" ? "new.css" : name; }

CssPageModel::CssPageModel()
    : m_strInitialName(GetProfileString("TvProgram", "CssFile", "default.css")),
      m_strActiveName(m_strInitialName),
      m_rows(ListStylesheets(app::CssFolder())) {
  m_nSelected = ActiveRow();
}

int CssPageModel::ActiveRow() const {
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i].fileName == m_strActiveName) return static_cast<int>(i);
  return -1;
}

bool CssPageModel::ActiveIsModified() const {
  return ActiveRow() >= 0 && FilesDiffer(app::StylesheetPath(), app::CssFolder() / m_strActiveName);
}

std::string CssPageModel::ModificationQuestion() const {
  const std::string name = text::Cp932ToUtf8(m_strActiveName);
  return "現在のスタイルシートは変更されています。\n保存しますか？\n\nKanro.css\t" + ModifiedTime(app::StylesheetPath()) +
         "\n" + name + "\t" + ModifiedTime(app::CssFolder() / m_strActiveName) +
         "\n\n[はい]\t現在のスタイルシートを保存します。\n[いいえ]\t変更を破棄して" + name + "を読み込みます。\n";
}

void CssPageModel::SortBy(int column) {
  m_bAscending = column != m_nSortColumn ? true : !m_bAscending;
  m_nSortColumn = column;
  const std::string selected = m_nSelected >= 0 ? m_rows[static_cast<size_t>(m_nSelected)].fileName : std::string();
  SortStylesheets(m_rows, column, m_bAscending);
  m_nSelected = -1;
  for (size_t i = 0; i < m_rows.size() && !selected.empty(); ++i)
    if (m_rows[i].fileName == selected) m_nSelected = static_cast<int>(i);
}

bool ActivateStylesheet(const std::string& name) {
  if (!IsStylesheetName(app::CssFolder(), name)) {
    if (!IsStylesheetName(app::ShippedDir() / "Css", name)) return false;
    std::error_code error;
    fs::create_directories(app::CssFolder(), error);
    if (!CopyFileReplacing(app::ShippedDir() / "Css" / name, app::CssFolder() / name)) return false;
  }
  if (!CopyFileReplacing(app::CssFolder() / name, app::StylesheetPath())) return false;
  return WriteProfileString("TvProgram", "CssFile", name);
}

bool CssPageModel::Activate(const std::string& name) {
  if (!IsStylesheetName(app::CssFolder(), name)) return false;
  if (!m_originalCss) m_originalCss = text::ReadFileBytes(app::StylesheetPath()).value_or("");
  if (!ActivateStylesheet(name)) return false;
  m_strActiveName = name;
  return true;
}

bool CssPageModel::ApplySelected() {
  return m_nSelected >= 0 && Activate(m_rows[static_cast<size_t>(m_nSelected)].fileName);
}

bool CssPageModel::SaveEditsAs(const fs::path& target) { return CopyFileReplacing(app::StylesheetPath(), target); }

bool CssPageModel::Save() {
  if (m_nSelected < 0 || m_rows[static_cast<size_t>(m_nSelected)].fileName == m_strActiveName) return true;
  return ApplySelected();
}

void CssPageModel::Discard() {
  if (!m_originalCss) return;
  WriteBytesReplacing(app::StylesheetPath(), *m_originalCss);
  WriteProfileString("TvProgram", "CssFile", m_strInitialName);
  m_strActiveName = m_strInitialName;
  m_originalCss.reset();
}

}  // namespace kanro::settings
