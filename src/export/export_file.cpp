#include "export/export_file.h"

#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

#include "app/leftover_files.h"
#include "app/messages.h"
#include "text/text_file.h"

namespace kanro::exports {
namespace {

// Hands the stream's bytes to the atomic writer in large pieces.
class WriterBuffer : public std::streambuf {
 public:
  explicit WriterBuffer(text::AtomicTextFileWriter& writer) : writer_(writer) { setp(buffer_, buffer_ + sizeof buffer_); }
  bool failed() const { return failed_; }

 protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return Drain() ? 0 : -1; }

 private:
  bool Drain() {
    // A stop request ends the export through its failure path, which drops
    // the temporary file.
    if (g_bCancel.load()) failed_ = true;
    const std::string_view pending(pbase(), static_cast<size_t>(pptr() - pbase()));
    if (!failed_ && !pending.empty() && !writer_.WriteBytes(pending)) failed_ = true;
    setp(buffer_, buffer_ + sizeof buffer_);
    return !failed_;
  }

  text::AtomicTextFileWriter& writer_;
  char buffer_[65536];
  bool failed_ = false;
};

// Removes the temporary files ("<name>.tmp<pid>-...") an export of a process
// that no longer runs left beside the target, so a killed export does not
// leave them for ever: nothing else looks into the folder of an output.
void RemoveLeftoversBeside(const std::filesystem::path& target) {
  const std::string prefix = target.filename().string() + ".tmp";
  std::error_code ec;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  std::filesystem::directory_iterator it(folder, ec);
  for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    // The process id, then the writer's own counter and stamp: "<pid>-<n>-<stamp>".
    const size_t digits = name.find_first_not_of("0123456789", prefix.size());
    if (digits == prefix.size() || digits == std::string::npos || name[digits] != '-' || digits - prefix.size() > 9)
      continue;
    const size_t counterEnd = name.find_first_not_of("0123456789", digits + 1);
    if (counterEnd == digits + 1 || counterEnd == std::string::npos || name[counterEnd] != '-' ||
        counterEnd + 1 == name.size() || name.find_first_not_of("0123456789", counterEnd + 1) != std::string::npos)
      continue;
    const long pid = std::stol(name.substr(prefix.size(), digits - prefix.size()));
    std::error_code kind;
    if (pid > 0 && !app::ProcessRuns(pid) && it->is_regular_file(kind)) {
      std::error_code ignored;
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

}  // namespace

struct ExportFile::Impl {
  text::AtomicTextFileWriter writer;
  WriterBuffer buffer{writer};
  std::ostream stream{&buffer};
};

ExportFile::ExportFile() : impl_(std::make_unique<Impl>()) {}
ExportFile::~ExportFile() = default;

bool ExportFile::Open(const std::filesystem::path& target) {
  RemoveLeftoversBeside(target);
  return impl_->writer.Open(target);
}

std::ostream& ExportFile::stream() { return impl_->stream; }

bool ExportFile::Commit() {
  impl_->stream.flush();
  if (!impl_->stream || impl_->buffer.failed() || g_bCancel.load()) {
    impl_->writer.Discard();
    return false;
  }
  return impl_->writer.Commit();
}

bool WriteExportFile(const std::filesystem::path& target, const std::function<bool(std::ostream&)>& run,
                     ExportReport* report) {
  ExportReport local;
  ExportReport& r = report ? *report : local;
  const std::u8string shown = target.u8string();
  const std::string name(shown.begin(), shown.end());
  ExportFile file;
  if (!file.Open(target)) {
    r.writeFailed = true;
    r.problems.push_back("cannot create \"" + name + "\"");
    return false;
  }
  const bool ok = run(file.stream());
  if (!file.Commit()) {
    r.writeFailed = true;
    r.problems.push_back(g_bCancel.load() ? "stopped; \"" + name + "\" was left as it was"
                                          : "cannot write \"" + name + "\"; it was left as it was");
    return false;
  }
  return ok;
}

}  // namespace kanro::exports
