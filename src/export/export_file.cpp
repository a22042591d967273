#include "export/export_file.h"

#include <streambuf>
#include <string_view>

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
    const std::string_view pending(pbase(), static_cast<size_t>(pptr() - pbase()));
    if (!pending.empty() && !writer_.WriteBytes(pending)) failed_ = true;
    setp(buffer_, buffer_ + sizeof buffer_);
    return !failed_;
  }

  text::AtomicTextFileWriter& writer_;
  char buffer_[65536];
  bool failed_ = false;
};

}  // namespace

struct ExportFile::Impl {
  text::AtomicTextFileWriter writer;
  WriterBuffer buffer{writer};
  std::ostream stream{&buffer};
};

ExportFile::ExportFile() : impl_(std::make_unique<Impl>()) {}
ExportFile::~ExportFile() = default;

bool ExportFile::Open(const std::filesystem::path& target) { return impl_->writer.Open(target); }

std::ostream& ExportFile::stream() { return impl_->stream; }

bool ExportFile::Commit() {
  impl_->stream.flush();
  if (!impl_->stream || impl_->buffer.failed()) {
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
    r.problems.push_back("cannot write \"" + name + "\"; it was left as it was");
    return false;
  }
  return ok;
}

}  // namespace kanro::exports
