#pragma once
// The pages an export reads: listing entries, their header pages and the
// data pages of each listing date, and names for messages and locations.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::exports {

struct DataPageRef {
  int date = 0;  // YYYYMMDD
  std::string entry;
  std::filesystem::path path;
};

// True for "08GooTv": two digits and a known listing type key.
bool IsListingEntry(std::string_view entry);

// The data pages of the entries in dataFolder with firstDate <= date and,
// when lastDate is not 0, date <= lastDate; by date, then in entry order.
// With otherEntries the pages of every other listing entry come too, after
// those of the entries, in name order.
std::vector<DataPageRef> FindDataPages(const std::filesystem::path& dataFolder, const std::vector<std::string>& entries,
                                       int firstDate, int lastDate, bool otherEntries = false);

std::filesystem::path DataPagePath(const std::filesystem::path& dataFolder, int date, std::string_view entry);
std::filesystem::path HeadPagePath(const std::filesystem::path& headFolder, std::string_view entry);

// "東京都 地上波" for "08GooTv" (UTF-8).
std::string EntryDisplayName(std::string_view entry);

}  // namespace kanro::exports
