#pragma once
// The listing types in catalogue order: the five of the two listing sites,
// then the sources that are not web pages (a tuner server, per broadcast
// kind, and an XMLTV file). The position is the type index used by the
// listing selector, the download page and the keyword search.
#include <array>
#include <string_view>

namespace kanro::listing {

enum class ListingSite { Goo, Yahoo, Tuner, Xmltv };

struct ListingType {
  std::string_view key;      // e.g. "GooTv"
  std::string_view name;     // display name, UTF-8 in this table
  ListingSite site;
  std::string_view urlPath;  // address template after the site's host; empty for sources
};

inline constexpr std::array<ListingType, 9> kListingTypes{{
    {"GooTv", "地上波", ListingSite::Goo, "/contents/epg/%GooLocation/VHF_1/%D_0024/index.html"},
    {"GooBsDisital", "BSデジタル", ListingSite::Goo, "/contents/epg/%GooLocation/BSdigital_1/%D_0024/index.html"},
    {"GooUhfBs", "UHF・BSアナログ", ListingSite::Goo, "/contents/epg/%GooLocation/UHF-BSanalog_1/%D_0024/index.html"},
    {"YahooAm", "AMラジオ", ListingSite::Yahoo,
     "/listings/?&type=normal&a=%YahooLocation&s=1&t=AM&d=%D&st=5&va=24&vb=1&vc=0&vd=0&ve=1"},
    {"YahooFm", "FMラジオ", ListingSite::Yahoo,
     "/listings/?&type=normal&a=%YahooLocation&s=1&t=FM&d=%D&st=5&va=24&vb=1&vc=0&vd=0&ve=1"},
    {"TunerGr", "地デジ(チューナー)", ListingSite::Tuner, ""},
    {"TunerBs", "BS(チューナー)", ListingSite::Tuner, ""},
    {"TunerCs", "CS(チューナー)", ListingSite::Tuner, ""},
    {"Xmltv", "XMLTV", ListingSite::Xmltv, ""},
}};

// Number of types whose pages come from the two listing sites (the first
// ones of the catalogue).
inline constexpr size_t kSiteTypeCount = 5;

// True for the types of the two listing sites, false for the other sources.
constexpr bool IsSiteType(const ListingType& type) {
  return type.site == ListingSite::Goo || type.site == ListingSite::Yahoo;
}

// Index of the type with exactly this key (case-sensitive), or -1.
constexpr int FindListingType(std::string_view key) {
  for (size_t i = 0; i < kListingTypes.size(); ++i)
    if (kListingTypes[i].key == key) return static_cast<int>(i);
  return -1;
}

}  // namespace kanro::listing
