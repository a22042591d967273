#include "app/leftover_files.h"

#include <cerrno>
#include <system_error>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "app/paths.h"

namespace kanro::app {
namespace fs = std::filesystem;
namespace {

constexpr size_t kRawSuffixLength = 6;  // the characters mkstemp fills in

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a run of decimal digits at text[at...]; moves at past it.
std::optional<long> ReadNumber(std::string_view text, size_t& at) {
  const size_t start = at;
  long value = 0;
  while (at < text.size() && IsDigit(text[at])) {
    if (at - start >= 9) return std::nullopt;  // no process id is that long
    value = value * 10 + (text[at] - '0');
    ++at;
  }
  if (at == start) return std::nullopt;
  return value;
}

long CurrentPid() {
#ifdef _WIN32
  return 0;
#else
  return static_cast<long>(::getpid());
#endif
}

// A regular file of this user: the temporary folder is shared with others.
bool IsOwnRegularFile(const fs::path& path) {
#ifdef _WIN32
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
#else
  struct stat info{};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::getuid();
#endif
}

template <class Owner>
int RemoveIn(const fs::path& folder, Owner owner, bool ownFilesOnly) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    std::optional<long> pid = owner(path.filename().string());
    if (!pid || ProcessRuns(*pid)) continue;
    if (ownFilesOnly ? !IsOwnRegularFile(path) : !it->is_regular_file(ec)) continue;
    std::error_code removeError;
    if (fs::remove(path, removeError)) ++removed;
  }
  return removed;
}

}  // namespace

std::string RawDownloadPrefix() { return "tv" + std::to_string(CurrentPid()) + "-"; }

std::optional<long> RawDownloadOwner(std::string_view name) {
  if (name.substr(0, 2) != "tv") return std::nullopt;
  size_t at = 2;
  std::optional<long> pid = ReadNumber(name, at);
  if (!pid || at >= name.size() || name[at] != '-') return std::nullopt;
  if (name.size() - at - 1 != kRawSuffixLength) return std::nullopt;
  return pid;
}

std::optional<long> PartialPageOwner(std::string_view name) {
  // Only pages are written through a partial file in these folders.
  const size_t mark = name.rfind(".htm.tmp");
  if (mark == std::string_view::npos || mark == 0) return std::nullopt;
  size_t at = mark + 8;
  std::optional<long> pid = ReadNumber(name, at);
  if (!pid || at >= name.size() || name[at] != '-') return std::nullopt;
  ++at;
  if (!ReadNumber(name, at)) return std::nullopt;
  if (at < name.size()) {
    if (name[at] != '-') return std::nullopt;
    ++at;
    if (!ReadNumber(name, at) || at != name.size()) return std::nullopt;
  }
  return pid;
}

bool ProcessRuns(long pid) {
  if (pid <= 0) return true;  // not a process id we could have written
#ifdef _WIN32
  return true;
#else
  if (pid == CurrentPid()) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
#endif
}

int RemoveLeftoverFiles() {
  int removed = RemoveIn(DataFolder(), PartialPageOwner, false);
  removed += RemoveIn(HeadFolder(), PartialPageOwner, false);
  std::error_code ec;
  const fs::path temp = fs::temp_directory_path(ec);
  if (!ec) removed += RemoveIn(temp, RawDownloadOwner, true);
  return removed;
}

}  // namespace kanro::app
