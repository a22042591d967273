#pragma once
// A temporary folder removed with everything in it when the object goes.
#include <filesystem>
#include <string>

namespace kanro::test {

class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "kanro-test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Reads a whole file as bytes ("" when missing).
std::string ReadAll(const std::filesystem::path& path);
// Writes bytes to a file exactly as given.
void WriteAll(const std::filesystem::path& path, const std::string& bytes);

}  // namespace kanro::test
