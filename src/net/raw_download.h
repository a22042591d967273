#pragma once
// The temporary file a response is downloaded into before it is used: a
// fresh "tv<pid>-XXXXXX" file in the system's temporary folder (the process
// id lets start-up remove the files of killed processes), removed when the
// object goes, whichever way the work ends.
#include <filesystem>
#include <optional>

namespace kanro::net {

// The folder raw downloads go to, for messages: the system's temporary
// folder, or what TMPDIR names when that folder cannot be used.
std::filesystem::path RawDownloadFolder();

class RawDownload {
 public:
  // Creates the empty file; valid() is false when that failed (no
  // temporary folder, or it cannot be written).
  RawDownload();
  ~RawDownload();
  RawDownload(const RawDownload&) = delete;
  RawDownload& operator=(const RawDownload&) = delete;

  bool valid() const { return path_.has_value(); }
  const std::filesystem::path& path() const { return *path_; }

 private:
  std::optional<std::filesystem::path> path_;
};

}  // namespace kanro::net
