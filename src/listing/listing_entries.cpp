#include "listing/listing_entries.h"

#include "app/settings_store.h"
#include "listing/listing_types.h"
#include "sites/location.h"
#include "text/tokenizer.h"

namespace kanro::listing {

std::vector<std::string> ListingEntries(const std::string& programmes) {
  std::vector<std::string> entries;
  for (std::string& item : text::TokenizeList(programmes)) {
    const std::string typeKey = item.size() > 2 ? item.substr(2) : std::string();
    if (FindListingType(typeKey) >= 0) entries.push_back(std::move(item));
  }
  return entries;
}

std::vector<std::string> ListingEntriesFromSettings() {
  std::string programmes = GetProfileString("Download", "Programs", "");
  if (programmes.empty()) programmes = "08GooTv,";
  return ListingEntries(programmes);
}

EntryNames NamesOfEntry(std::string_view entry) {
  const bool digits = entry.size() > 2 && entry[0] >= '0' && entry[0] <= '9' && entry[1] >= '0' && entry[1] <= '9';
  const int type = digits ? FindListingType(entry.substr(2)) : -1;
  if (type < 0) return {};
  const int number = (entry[0] - '0') * 10 + (entry[1] - '0');
  const sites::Prefecture& prefecture =
      sites::kPrefectures[static_cast<size_t>(number >= 1 && number <= 47 ? number : sites::kFallbackPrefecture) - 1];
  return {std::string(prefecture.name), std::string(kListingTypes[static_cast<size_t>(type)].name)};
}

std::string EntryLabel(std::string_view entry) {
  const EntryNames names = NamesOfEntry(entry);
  if (names.type.empty()) return std::string(entry);
  return names.prefecture + "[" + names.type + "]";
}

}  // namespace kanro::listing
