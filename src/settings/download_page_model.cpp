#include "settings/download_page_model.h"

#include <cstdio>
#include <tuple>

#include "app/settings_store.h"
#include "listing/listing_entries.h"
#include "listing/listing_types.h"
#include "sites/location.h"
#include "sources/tuner_producer.h"
#include "text/codepage.h"
#include "text/tokenizer.h"

namespace kanro::settings {

std::string PrefectureNameCp932(int prefecture) {
  sites::CLocation location;
  location.SetPrefecture(prefecture);
  return location.m_strName;
}

std::string ListingTypeNameCp932(int typeIndex) {
  if (typeIndex < 0 || typeIndex >= ListingTypeCount()) return {};
  return text::Utf8ToCp932(listing::kListingTypes[static_cast<size_t>(typeIndex)].name);
}

int ListingTypeCount() { return static_cast<int>(listing::kListingTypes.size()); }

std::string ProgrammeLabel(const ProgrammeItem& item) {
  if (item.typeIndex < 0 || item.typeIndex >= ListingTypeCount()) return PrefectureNameCp932(item.prefecture) + "[]";
  char number[8];
  std::snprintf(number, sizeof number, "%02d", item.prefecture);
  return text::Utf8ToCp932(
      listing::EntryLabel(number + std::string(listing::kListingTypes[static_cast<size_t>(item.typeIndex)].key)));
}

std::vector<RegionGroup> RegionTree() {
  std::vector<RegionGroup> tree;
  for (size_t i = 0; i < sites::kRegions.size(); ++i) {
    RegionGroup group{sites::RegionNameCp932(i), {}};
    for (int n = sites::kRegions[i].first; n <= sites::kRegions[i].last; ++n) group.prefectures.push_back(n);
    tree.push_back(std::move(group));
  }
  return tree;
}

std::vector<ProgrammeItem> ParseProgrammeList(std::string_view stored) {
  std::vector<ProgrammeItem> items;
  for (const std::string& entry : text::TokenizeList(stored)) {
    if (entry.size() < 3 || entry[0] < '0' || entry[0] > '9' || entry[1] < '0' || entry[1] > '9') continue;
    const int prefecture = (entry[0] - '0') * 10 + (entry[1] - '0');
    const int type = listing::FindListingType(std::string_view(entry).substr(2));
    if (prefecture < 1 || prefecture > static_cast<int>(sites::kPrefectures.size()) || type < 0) continue;
    items.push_back({prefecture, type});
  }
  return items;
}

std::string FormatProgrammeList(const std::vector<ProgrammeItem>& items) {
  std::string list;
  for (const ProgrammeItem& item : items) {
    char number[8];
    std::snprintf(number, sizeof number, "%02d", item.prefecture);
    list += number;
    list += listing::kListingTypes[static_cast<size_t>(item.typeIndex)].key;
    list += ',';
  }
  return list;
}

DownloadPageModel::DownloadPageModel()
    : m_bDetail(GetProfileInt("Download", "Detail", 1)),
      m_bGCode(GetProfileInt("Download", "GCode", 0)),
      m_biEPG(GetProfileInt("Download", "iEPG", 0)),
      m_nDays(GetProfileInt("Download", "Days", 8)),
      m_bKeepFresh(GetProfileInt("Download", "KeepFresh", 0)),
      m_bRemoveAnchor(GetProfileInt("Download", "RemoveAnchor", 0)),
      m_bLaunchAuto(GetProfileInt("Download", "LaunchAuto", 0)),
      m_bOnceADay(GetProfileInt("Download", "OnceADay", 0)),
      m_nWaitSec(GetProfileInt("Download", "WaitSec", 3)),
      m_strTunerUrl(GetProfileString("URL", "Tuner", sources::kDefaultTunerUrl)),
      m_strXmltvUrl(GetProfileString("URL", "Xmltv", "")),
      m_items(ParseProgrammeList(GetProfileString("Download", "Programs", ""))),
      m_strStoredTunerUrl(m_strTunerUrl),
      m_strStoredXmltvUrl(m_strXmltvUrl) {}

bool DownloadPageModel::Add(const ProgrammeItem& item) {
  if (item.prefecture < 1 || item.prefecture > static_cast<int>(sites::kPrefectures.size()) ||
      item.typeIndex < 0 || item.typeIndex >= ListingTypeCount())
    return false;
  for (const ProgrammeItem& listed : m_items)
    if (listed == item) return false;
  m_items.push_back(item);
  m_bListChanged = true;
  return true;
}

int DownloadPageModel::Remove(int index) {
  if (index < 0 || index >= static_cast<int>(m_items.size())) return -1;
  m_items.erase(m_items.begin() + index);
  m_bListChanged = true;
  if (m_items.empty()) return -1;
  return index < static_cast<int>(m_items.size()) ? index : static_cast<int>(m_items.size()) - 1;
}

bool DownloadPageModel::Save() {
  bool ok = WriteProfileInt("Download", "Detail", m_bDetail) && WriteProfileInt("Download", "GCode", m_bGCode) &&
            WriteProfileInt("Download", "iEPG", m_biEPG) && WriteProfileInt("Download", "Days", m_nDays) &&
            WriteProfileInt("Download", "KeepFresh", m_bKeepFresh) &&
            WriteProfileInt("Download", "RemoveAnchor", m_bRemoveAnchor) &&
            WriteProfileInt("Download", "LaunchAuto", m_bLaunchAuto) &&
            WriteProfileInt("Download", "OnceADay", m_bOnceADay) && WriteProfileInt("Download", "WaitSec", m_nWaitSec);
  for (const auto& [key, value, stored] : {std::tuple{"Tuner", &m_strTunerUrl, &m_strStoredTunerUrl},
                                           std::tuple{"Xmltv", &m_strXmltvUrl, &m_strStoredXmltvUrl}}) {
    if (!ok || *value == *stored) continue;
    ok = value->empty() ? WriteProfileString("URL", key, nullptr) : WriteProfileString("URL", key, *value);
    if (ok) *stored = *value;
  }
  // An untouched list keeps the stored text, items this page cannot show included.
  if (ok && m_bListChanged) {
    ok = m_items.empty() ? WriteProfileString("Download", "Programs", nullptr)
                         : WriteProfileString("Download", "Programs", FormatProgrammeList(m_items));
  }
  return ok;
}

}  // namespace kanro::settings
