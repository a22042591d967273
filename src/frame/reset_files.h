#pragma once
// The files the reset command removes from a data folder.
#include <filesystem>
#include <vector>

namespace kanro::frame {

// With pages: every "*.htm" file of Head/, then of Data/; always: index.htm,
// Keyword.txt, Replace.txt and Kanro.css. Folders, Css/ and other files stay.
std::vector<std::filesystem::path> ResetFileList(const std::filesystem::path& dataDir, bool withPages);

// Deletes the files of the list; failures (missing files, files in use) are
// ignored. Returns how many were removed.
size_t RemoveFiles(const std::vector<std::filesystem::path>& files);

}  // namespace kanro::frame
