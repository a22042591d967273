#pragma once
// The file an export writes: a stream whose bytes go to a temporary file
// beside the target, which replaces the target only when everything was
// written. A failed export never leaves half a file in place of a good one.
#include <filesystem>
#include <memory>
#include <ostream>

namespace kanro::exports {

class ExportFile {
 public:
  ExportFile();
  ~ExportFile();  // discards the temporary file unless committed
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  bool Open(const std::filesystem::path& target);
  // Valid after a successful Open.
  std::ostream& stream();
  // Flushes, closes and renames over the target; false (target untouched)
  // when anything failed.
  bool Commit();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kanro::exports
