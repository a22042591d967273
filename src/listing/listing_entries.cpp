#include "listing/listing_entries.h"

#include "app/settings_store.h"
#include "listing/listing_types.h"
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

}  // namespace kanro::listing
