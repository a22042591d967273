#include "net/raw_download.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <stdlib.h>
#include <unistd.h>
#endif

#include "app/leftover_files.h"

namespace kanro::net {
namespace fs = std::filesystem;

fs::path RawDownloadFolder() {
  std::error_code ec;
  fs::path folder = fs::temp_directory_path(ec);
  if (!ec) return folder;
  const char* named = std::getenv("TMPDIR");
  return named && *named ? fs::path(named) : fs::path("/tmp");
}

RawDownload::RawDownload() {
  std::error_code ec;
  const fs::path folder = fs::temp_directory_path(ec);
  if (ec) return;
#ifdef _WIN32
  for (int attempt = 0; attempt < 100 && !path_; ++attempt) {
    fs::path candidate = folder / (app::RawDownloadPrefix() + std::to_string(100000 + std::rand() % 900000));
    if (FILE* file = _wfopen(candidate.c_str(), L"wx")) {
      std::fclose(file);
      path_ = candidate;
    }
  }
#else
  const std::string pattern = (folder / (app::RawDownloadPrefix() + "XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return;
  ::close(fd);
  path_ = fs::path(name.data());
#endif
}

RawDownload::~RawDownload() {
  if (!path_) return;
  std::error_code ec;
  fs::remove(*path_, ec);
}

}  // namespace kanro::net
