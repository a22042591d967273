#include "text/text_file.h"

#include <stdio.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <system_error>

namespace kanro::text {
namespace {

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

// Strips one LF or CR LF line end.
void StripLineEnd(std::string& line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

bool ForEachLine(const std::filesystem::path& path, const std::function<bool(std::string& line)>& onLine) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return false;
  std::string line;
  std::string buffer(65536, '\0');
  bool stopped = false;
  size_t got = 0;
  while (!stopped && (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
    size_t start = 0;
    while (start < got) {
      const void* found = std::memchr(buffer.data() + start, '\n', got - start);
      if (!found) {
        line.append(buffer.data() + start, got - start);
        break;
      }
      const size_t end = static_cast<size_t>(static_cast<const char*>(found) - buffer.data());
      line.append(buffer.data() + start, end - start);
      StripLineEnd(line);
      start = end + 1;
      if (!onLine(line)) {
        stopped = true;
        break;
      }
      line.clear();
    }
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  if (!stopped && ok && !line.empty()) {
    StripLineEnd(line);
    onLine(line);
  }
  return ok;
}

std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path) {
  std::vector<std::string> lines;
  if (!ForEachLine(path, [&](std::string& line) {
        lines.push_back(std::move(line));
        return true;
      }))
    return std::nullopt;
  return lines;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::FILE* file = OpenFile(path, "rb");
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return std::nullopt;
  return bytes;
}

TextFileWriter::~TextFileWriter() {
  if (file_) std::fclose(file_);
}

bool TextFileWriter::Open(const std::filesystem::path& path) {
  if (file_) Close();
  failed_ = false;
  file_ = OpenFile(path, "wb");
  return file_ != nullptr;
}

bool TextFileWriter::Write(std::string_view text) {
  if (!file_) return false;
  size_t start = 0;
  while (start < text.size()) {
    const size_t newline = text.find('\n', start);
    const size_t end = newline == std::string_view::npos ? text.size() : newline;
    if (end > start && std::fwrite(text.data() + start, 1, end - start, file_) != end - start) failed_ = true;
    if (newline == std::string_view::npos) break;
    if (std::fwrite("\r\n", 1, 2, file_) != 2) failed_ = true;
    start = newline + 1;
  }
  return !failed_;
}

bool TextFileWriter::WriteLine(std::string_view line) { return Write(line) && Write("\n"); }

bool TextFileWriter::WriteBytes(std::string_view bytes) {
  if (!file_) return false;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
  return !failed_;
}

bool TextFileWriter::Close() {
  if (!file_) return false;
  if (std::fflush(file_) != 0) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
  return !failed_;
}

AtomicTextFileWriter::~AtomicTextFileWriter() { Discard(); }

bool AtomicTextFileWriter::Open(const std::filesystem::path& target) {
  Discard();
  target_ = target;
  // A unique name beside the target, so the final rename stays on one file system.
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  temp_ = target;
  temp_ += ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(static_cast<unsigned long long>(stamp) % 1000000);
  if (!writer_.Open(temp_)) {
    temp_.clear();
    return false;
  }
  return true;
}

bool AtomicTextFileWriter::Commit() {
  if (temp_.empty()) return false;
  bool ok = writer_.Close();
  if (ok) {
    // Make the data durable before it replaces the old file.
    if (std::FILE* f = std::fopen(temp_.c_str(), "rb")) {
      ::fsync(::fileno(f));
      std::fclose(f);
    }
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    ok = !ec;
  }
  if (!ok) {
    std::error_code ec;
    std::filesystem::remove(temp_, ec);
  }
  temp_.clear();
  return ok;
}

void AtomicTextFileWriter::Discard() {
  if (writer_.IsOpen()) writer_.Close();
  if (!temp_.empty()) {
    std::error_code ec;
    std::filesystem::remove(temp_, ec);
    temp_.clear();
  }
}

bool WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  AtomicTextFileWriter writer;
  if (!writer.Open(path)) return false;
  for (const auto& line : lines)
    if (!writer.WriteLine(line)) return false;
  return writer.Commit();
}

}  // namespace kanro::text
