#pragma once
// The five listing types in catalogue order. The position is the type index
// used by the listing selector, the download page and the keyword search.
#include <array>
#include <string_view>

namespace kanro::listing {

enum class ListingSite { Goo, Yahoo };

struct ListingType {
  std::string_view key;      // e.g. "GooTv"
  std::string_view name;     // display name, UTF-8 in this table
  ListingSite site;
  std::string_view urlPath;  // address template after the site's host
};

inline constexpr std::array<ListingType, 5> kListingTypes{{
    {"GooTv", "地上波", ListingSite::Goo, "/contents/epg/%GooLocation/VHF_1/%D_0024/index.html"},
    {"GooBsDisital", "BSデジタル", ListingSite::Goo, "/contents/epg/%GooLocation/BSdigital_1/%D_0024/index.html"},
    {"GooUhfBs", "UHF・BSアナログ", ListingSite::Goo, "/contents/epg/%GooLocation/UHF-BSanalog_1/%D_0024/index.html"},
    {"YahooAm", "AMラジオ", ListingSite::Yahoo,
     "/listings/?&type=normal&a=%YahooLocation&s=1&t=AM&d=%D&st=5&va=24&vb=1&vc=0&vd=0&ve=1"},
    {"YahooFm", "FMラジオ", ListingSite::Yahoo,
     "/listings/?&type=normal&a=%YahooLocation&s=1&t=FM&d=%D&st=5&va=24&vb=1&vc=0&vd=0&ve=1"},
}};

// Index of the type with exactly this key (case-sensitive), or -1.
constexpr int FindListingType(std::string_view key) {
  for (size_t i = 0; i < kListingTypes.size(); ++i)
    if (kListingTypes[i].key == key) return static_cast<int>(i);
  return -1;
}

}  // namespace kanro::listing
