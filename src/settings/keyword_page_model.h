#pragma once
// The keyword page without widgets: the list of Keyword.txt with its
// selection, edited in place, added to, deleted from and reordered.
#include <string>
#include <vector>

#include "settings/setting_page_model.h"

namespace kanro::settings {

class KeywordPageModel : public SettingPageModel {
 public:
  KeywordPageModel();  // loads Keyword.txt

  const std::vector<std::string>& Items() const { return m_items; }  // CP932
  int Selected() const { return m_nSelected; }
  void Select(int index);

  // Sets the text of an item from what the user typed (UTF-8); false with a
  // message when the text cannot be stored.
  bool SetText(int index, const std::string& utf8, std::string* message);
  int Add();  // appends an empty item, selects it and returns its index
  void Delete();
  void MoveUp();
  void MoveDown();

  bool CanDelete() const { return m_nSelected >= 0; }
  bool CanMoveUp() const { return m_nSelected > 0; }
  bool CanMoveDown() const { return m_nSelected >= 0 && m_nSelected + 1 < static_cast<int>(m_items.size()); }

  // The non-empty keywords in order, as they are saved.
  std::vector<std::string> KeywordsToSave() const;
  std::vector<InvalidPattern> InvalidPatterns() const override;
  // Writes Keyword.txt, unless the list is what the file already holds.
  bool Save() override;

 private:
  std::vector<std::string> m_items;
  std::vector<std::string> m_loaded;
  int m_nSelected = -1;
};

}  // namespace kanro::settings
