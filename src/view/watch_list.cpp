#include "view/watch_list.h"

namespace kanro::view {

std::string WatchLinkId(const QUrl&) { return {}; }
std::string WatchLinkId(std::string_view) { return {}; }
std::optional<WatchKey> SplitWatchKey(std::string_view) { return std::nullopt; }
bool SplitDataPageName(const std::filesystem::path&, std::string*, std::string*) { return false; }
std::vector<std::string> ReadWatchKeys(const std::string&) { return {}; }
ToggledList ToggleWatchKey(const std::vector<std::string>&, const std::string&) { return {}; }
std::set<std::string> MarkedNumbers(const std::vector<std::string>&, const std::string&) { return {}; }
bool MarkupHasWatchId(std::u32string_view, std::string_view) { return false; }
ToggleOutcome ToggleWatch(const QUrl&, const std::filesystem::path&, const std::string&) { return {}; }

}  // namespace kanro::view
