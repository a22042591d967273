#pragma once
// The frameset page index.htm: an upper frame "head" for the header page and a
// lower frame "data" for one listing day. Written once, when start-up finds it
// missing; nothing else changes it.
#include <filesystem>

namespace kanro::app {

// Writes the frameset page to path (CP932, CR LF line ends, no line end after
// the last line). The page appears whole or not at all. On failure the user is
// warned through the notifier and false is returned.
bool CreateIndex(const std::filesystem::path& path);

}  // namespace kanro::app
