#include "settings/keyword_page_model.h"

#include <utility>

#include "app/keyword_list.h"
#include "settings/storable_text.h"
#include "text/codepage.h"
#include "text/regex.h"

namespace kanro::settings {

KeywordPageModel::KeywordPageModel() {
  app::LoadKeywords(m_items);
  m_loaded = m_items;
}

void KeywordPageModel::Select(int index) {
  m_nSelected = index >= 0 && index < static_cast<int>(m_items.size()) ? index : -1;
}

bool KeywordPageModel::SetText(int index, const std::string& utf8, std::string* message) {
  if (index < 0 || index >= static_cast<int>(m_items.size())) return false;
  // The shown text of an unedited item gives back its own bytes (undefined
  // CP932 bytes are shown as a placeholder and must not be replaced by it).
  if (text::Cp932ToUtf8(m_items[static_cast<size_t>(index)]) == utf8) return true;
  std::optional<std::string> stored = ToStorableText(utf8, LineBreaks::Refuse, message);
  if (!stored) return false;
  m_items[static_cast<size_t>(index)] = std::move(*stored);
  return true;
}

int KeywordPageModel::Add() {
  m_items.emplace_back();
  m_nSelected = static_cast<int>(m_items.size()) - 1;
  return m_nSelected;
}

void KeywordPageModel::Delete() {
  if (m_nSelected < 0) return;
  m_items.erase(m_items.begin() + m_nSelected);
  // The item before the deleted one; after the first, the new first one.
  if (m_nSelected > 0) --m_nSelected;
  if (m_nSelected >= static_cast<int>(m_items.size())) m_nSelected = -1;
}

void KeywordPageModel::MoveUp() {
  if (!CanMoveUp()) return;
  std::swap(m_items[static_cast<size_t>(m_nSelected)], m_items[static_cast<size_t>(m_nSelected - 1)]);
  --m_nSelected;
}

void KeywordPageModel::MoveDown() {
  if (!CanMoveDown()) return;
  std::swap(m_items[static_cast<size_t>(m_nSelected)], m_items[static_cast<size_t>(m_nSelected + 1)]);
  ++m_nSelected;
}

std::vector<std::string> KeywordPageModel::KeywordsToSave() const {
  std::vector<std::string> keywords;
  for (const std::string& item : m_items)
    if (!item.empty()) keywords.push_back(item);
  return keywords;
}

std::vector<InvalidPattern> KeywordPageModel::InvalidPatterns() const {
  std::vector<InvalidPattern> invalid;
  for (const std::string& keyword : KeywordsToSave()) {
    text::WRegex regex(text::Cp932ToWide(keyword));
    if (!regex.valid()) invalid.push_back({text::Cp932ToUtf8(keyword), regex.error()});
  }
  return invalid;
}

bool KeywordPageModel::Save() {
  const std::vector<std::string> keywords = KeywordsToSave();
  if (keywords == m_loaded) return true;
  return app::SaveKeywords(keywords);
}

}  // namespace kanro::settings
