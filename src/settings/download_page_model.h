#pragma once
// The download page without widgets: the region tree, the programme list and
// the download options, loaded from and saved to the settings store.
#include <string>
#include <string_view>
#include <vector>

#include "settings/setting_page_model.h"

namespace kanro::settings {

// One listing entry: prefecture 1-47 and listing type index 0-4.
struct ProgrammeItem {
  int prefecture = 0;
  int typeIndex = 0;
  bool operator==(const ProgrammeItem&) const = default;
};

// "北海道[地上波]" (CP932).
std::string ProgrammeLabel(const ProgrammeItem& item);
std::string PrefectureNameCp932(int prefecture);
std::string ListingTypeNameCp932(int typeIndex);
int ListingTypeCount();

struct RegionGroup {
  std::string name;  // CP932
  std::vector<int> prefectures;
};
// The six regions with their prefectures, from the location table.
std::vector<RegionGroup> RegionTree();

// Items of a stored "Programs" value. Only two digits 01-47 followed by a
// known type key make an item; anything else is dropped.
std::vector<ProgrammeItem> ParseProgrammeList(std::string_view stored);
// "08GooTv,13YahooAm," for the items.
std::string FormatProgrammeList(const std::vector<ProgrammeItem>& items);

class DownloadPageModel : public SettingPageModel {
 public:
  static constexpr int kDaysItems = 8;  // items "1" to "8"
  static constexpr int kWaitSpinMax = 60;

  DownloadPageModel();  // reads every value

  const std::vector<ProgrammeItem>& Items() const { return m_items; }
  // Appends the item; false when it is listed already.
  bool Add(const ProgrammeItem& item);
  // Removes the item at index; returns the index to select next, -1 for none.
  int Remove(int index);

  // The item of the days list for a stored value, -1 when none matches.
  int DaysIndex() const { return m_nDays >= 1 && m_nDays <= kDaysItems ? m_nDays - 1 : -1; }
  void ChooseDays(int index) { m_nDays = index + 1; }

  bool Save() override;

  int m_bDetail, m_bGCode, m_biEPG, m_nDays, m_bKeepFresh, m_bRemoveAnchor, m_bLaunchAuto, m_bOnceADay,
      m_nWaitSec;
  // The addresses of the sources that are not listing sites (CP932):
  // "URL"/"Tuner", the tuner server's base address, and "URL"/"Xmltv", the
  // path or address of the XMLTV file. Stored only when changed; an empty
  // one removes the setting (the tuner address then is the default).
  std::string m_strTunerUrl, m_strXmltvUrl;

 private:
  std::vector<ProgrammeItem> m_items;
  std::string m_strStoredTunerUrl, m_strStoredXmltvUrl;
  bool m_bListChanged = false;
};

}  // namespace kanro::settings
