#include "frame/reset_files.h"

#include <algorithm>
#include <system_error>

namespace kanro::frame {
namespace {

namespace fs = std::filesystem;

void AppendPages(const fs::path& folder, std::vector<fs::path>& files) {
  std::error_code error;
  std::vector<fs::path> pages;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (it->path().extension() == ".htm" && it->is_regular_file(typeError)) pages.push_back(it->path());
  }
  std::sort(pages.begin(), pages.end());
  files.insert(files.end(), pages.begin(), pages.end());
}

}  // namespace

std::vector<fs::path> ResetFileList(const fs::path& dataDir, bool withPages) {
  std::vector<fs::path> files;
  if (withPages) {
    AppendPages(dataDir / "Head", files);
    AppendPages(dataDir / "Data", files);
  }
  for (const char* name : {"index.htm", "Keyword.txt", "Replace.txt", "Kanro.css"}) files.push_back(dataDir / name);
  return files;
}

size_t RemoveFiles(const std::vector<fs::path>& files) {
  size_t removed = 0;
  for (const fs::path& file : files) {
    std::error_code error;
    if (fs::remove(file, error)) ++removed;
  }
  return removed;
}

}  // namespace kanro::frame
