#pragma once
// Reads a downloaded listing page line by line. Pages come from servers of
// every kind, so a line ends at LF, CR LF or a lone CR; the line end itself is
// never part of the line. Bytes are passed on as they are.
#include <filesystem>
#include <functional>
#include <string>

namespace kanro::listing {

// Calls onLine for every line of the file, the last one also without a line
// end. False when the file cannot be opened or a read fails.
bool ForEachPageLine(const std::filesystem::path& path, const std::function<void(std::string& line)>& onLine);

}  // namespace kanro::listing
