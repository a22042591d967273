#include "sites/location.h"

#include <cstdio>
#include <vector>

#include "text/codepage.h"

namespace kanro::sites {
namespace {

// The names converted to CP932 once, on first use.
const std::vector<std::string>& PrefectureNamesCp932() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> converted;
    for (const Prefecture& p : kPrefectures) converted.push_back(text::Utf8ToCp932(p.name));
    return converted;
  }();
  return names;
}

}  // namespace

const std::string& RegionNameCp932(size_t index) {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> converted;
    for (const Region& r : kRegions) converted.push_back(text::Utf8ToCp932(r.name));
    return converted;
  }();
  static const std::string empty;
  return index < names.size() ? names[index] : empty;
}

void CLocation::SetPrefecture(int number) {
  m_nNumber = number;
  int row = (number >= 1 && number <= static_cast<int>(kPrefectures.size())) ? number : kFallbackPrefecture;
  m_strName = PrefectureNamesCp932()[static_cast<size_t>(row - 1)];
  m_strYahooCode = std::string(kPrefectures[static_cast<size_t>(row - 1)].yahooCode);
  char code[16];
  std::snprintf(code, sizeof code, "%03d", number);
  m_strGooCode = code;
}

}  // namespace kanro::sites
