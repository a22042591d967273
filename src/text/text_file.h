#pragma once
// The one text-file reader and writer. Writing "as text" puts CR LF on disk on
// every platform; reading strips CR LF or LF; a last line without a line end is
// still a line. Files are bytes (CP932); nothing is converted here.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::text {

// Reads the whole file as lines. Nothing when it cannot be opened.
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path);

// Streams a file line by line without holding it whole. Returns false when the
// file cannot be opened or a read fails; the callback may return false to stop.
bool ForEachLine(const std::filesystem::path& path,
                 const std::function<bool(std::string& line)>& onLine);

// Reads a whole file as bytes. Nothing when it cannot be opened.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// A file opened for writing as text. Every "\n" written becomes CR LF.
class TextFileWriter {
 public:
  TextFileWriter() = default;
  ~TextFileWriter();
  TextFileWriter(const TextFileWriter&) = delete;
  TextFileWriter& operator=(const TextFileWriter&) = delete;

  // Creates or truncates the file.
  bool Open(const std::filesystem::path& path);
  // Writes text, turning each "\n" into CR LF.
  bool Write(std::string_view text);
  // Writes the text and a line end.
  bool WriteLine(std::string_view line);
  // Writes bytes exactly as given, for formats with line ends of their own.
  bool WriteBytes(std::string_view bytes);
  // Flushes and closes; false when any write or the close failed.
  bool Close();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// Writes a file through a temporary file beside it and renames it over the
// target only when everything was written, so a failure never leaves half a
// file in place of a good one.
class AtomicTextFileWriter {
 public:
  AtomicTextFileWriter() = default;
  ~AtomicTextFileWriter();  // discards the temporary file unless committed
  AtomicTextFileWriter(const AtomicTextFileWriter&) = delete;
  AtomicTextFileWriter& operator=(const AtomicTextFileWriter&) = delete;

  bool Open(const std::filesystem::path& target);
  bool Write(std::string_view text) { return writer_.Write(text); }
  bool WriteLine(std::string_view line) { return writer_.WriteLine(line); }
  bool WriteBytes(std::string_view bytes) { return writer_.WriteBytes(bytes); }
  // Closes and renames over the target; false (target untouched) on failure.
  bool Commit();
  // Drops the temporary file; the target stays as it was.
  void Discard();

 private:
  TextFileWriter writer_;
  std::filesystem::path target_;
  std::filesystem::path temp_;
};

// Writes the lines as text, each followed by a line end (CR LF), atomically.
bool WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace kanro::text
