#include "app/retention.h"

#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"

namespace kanro::app {
namespace fs = std::filesystem;
namespace {

// Longer than any listing could be kept; larger values mean the same.
constexpr int64_t kMaxRetentionDays = 1000000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool HasHtmExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".htm";
}

// The leading digits of the first eight characters, as atoi reads them.
int LeadingNumber(std::string_view text) {
  int value = 0;
  for (size_t i = 0; i < text.size() && i < 8 && IsDigit(text[i]); ++i) value = value * 10 + (text[i] - '0');
  return value;
}

}  // namespace

int64_t ParseRetentionDays(std::string_view text) {
  int64_t days = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    days = days * 10 + (c - '0');
    if (days > kMaxRetentionDays) return kMaxRetentionDays;
  }
  return days;
}

int RetentionCutoff(int64_t days) { return DateNumber(GetListingTime() - days * 86400); }

int RemoveOldFiles() {
  int64_t days = ParseRetentionDays(GetProfileString("Download", "ExistTerm", "0"));
  if (days == 0) return 0;
  const int cutoff = RetentionCutoff(days);

  int removed = 0;
  std::vector<std::string> oldDays;
  std::error_code ec;
  for (fs::directory_iterator it(DataFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.empty() || !IsDigit(name[0]) || !HasHtmExtension(name)) continue;
    std::error_code ignored;
    if (it->is_directory(ignored)) continue;
    std::string day = name.substr(0, 8);
    if (LeadingNumber(day) >= cutoff) continue;
    // A page that cannot be deleted stays; its watch marks go all the same.
    if (fs::remove(it->path(), ignored)) ++removed;
    oldDays.push_back(day);
  }
  // What the sources' earlier downloads saw of those days goes with them.
  for (fs::directory_iterator it(SourcesFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code ignored;
    if (name.size() > 8 && IsDigit(name[0]) && it->path().extension() == ".json" && LeadingNumber(name) < cutoff)
      fs::remove(it->path(), ignored);
  }
  // One write for all the watch marks instead of one per page.
  if (!oldDays.empty()) {
    DeleteProfileValues("Watch", oldDays);
    // The record of what the watch rules marked (and the user unmarked) goes too.
    DeleteProfileValues("AutoWatch", oldDays);
  }
  return removed;
}

}  // namespace kanro::app
