#include "export/export_pages.h"

#include <algorithm>
#include <system_error>

#include "listing/listing_entries.h"
#include "listing/listing_types.h"
#include "sites/location.h"

namespace kanro::exports {
namespace fs = std::filesystem;

bool IsListingEntry(std::string_view entry) {
  return entry.size() > 2 && entry[0] >= '0' && entry[0] <= '9' && entry[1] >= '0' && entry[1] <= '9' &&
         listing::FindListingType(entry.substr(2)) >= 0;
}

std::vector<DataPageRef> FindDataPages(const fs::path& dataFolder, const std::vector<std::string>& entries,
                                       int firstDate, int lastDate, bool otherEntries) {
  std::vector<DataPageRef> pages;
  std::error_code error;
  for (fs::directory_iterator it(dataFolder, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    if (name.size() < 8 + 4 || name.compare(name.size() - 4, 4, ".htm") != 0) continue;
    int date = 0;
    bool digits = true;
    for (size_t i = 0; i < 8; ++i) {
      if (name[i] < '0' || name[i] > '9') digits = false;
      date = date * 10 + (name[i] - '0');
    }
    if (!digits || date < firstDate || (lastDate != 0 && date > lastDate)) continue;
    const std::string entry = name.substr(8, name.size() - 12);
    const auto found = std::find(entries.begin(), entries.end(), entry);
    if (found == entries.end() && !(otherEntries && IsListingEntry(entry))) continue;
    pages.push_back(DataPageRef{date, entry, it->path()});
  }
  auto rank = [&](const DataPageRef& page) { return std::find(entries.begin(), entries.end(), page.entry) - entries.begin(); };
  std::sort(pages.begin(), pages.end(), [&](const DataPageRef& a, const DataPageRef& b) {
    if (a.date != b.date) return a.date < b.date;
    const auto aRank = rank(a);
    const auto bRank = rank(b);
    return aRank != bRank ? aRank < bRank : a.entry < b.entry;
  });
  return pages;
}

fs::path DataPagePath(const fs::path& dataFolder, int date, std::string_view entry) {
  return dataFolder / (std::to_string(date) + std::string(entry) + ".htm");
}

fs::path HeadPagePath(const fs::path& headFolder, std::string_view entry) {
  return headFolder / (std::string(entry) + ".htm");
}

std::string EntryDisplayName(std::string_view entry) {
  const listing::EntryNames names = listing::NamesOfEntry(entry);
  if (names.type.empty()) return std::string(entry);
  return names.prefecture + " " + names.type;
}

}  // namespace kanro::exports
