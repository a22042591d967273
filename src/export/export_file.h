#pragma once
// The file an export writes: a stream whose bytes go to a temporary file
// beside the target, which replaces the target only when everything was
// written. A failed export never leaves half a file in place of a good one.
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>

#include "export/export_report.h"

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

// Runs an export into the file. The file is replaced when the document was
// written completely, even if the export reported problems (it is still a
// valid document without the parts named in the report); a file that cannot
// be created or written is reported and the old one kept. Returns the
// export's result, false too when the file failed.
bool WriteExportFile(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& run,
                     ExportReport* report);

}  // namespace kanro::exports
