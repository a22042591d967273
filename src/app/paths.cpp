#include "app/paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace kanro::app {
namespace fs = std::filesystem;
namespace {

fs::path& DataDirStorage() {
  static fs::path dir;
  return dir;
}

// The folder with exactly one trailing separator.
fs::path AsFolder(const fs::path& dir) {
  std::error_code ec;
  fs::path absolute = fs::absolute(dir, ec);
  if (ec) absolute = dir;
  absolute = absolute.lexically_normal();
  if (!absolute.has_filename()) return absolute;
  return absolute / "";
}

}  // namespace

fs::path ExecutableDir(const char* argv0) {
  std::error_code ec;
#ifdef _WIN32
  std::wstring buffer(32768, L'\0');
  DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
  if (length > 0 && length < buffer.size()) {
    buffer.resize(length);
    return AsFolder(fs::path(buffer).parent_path());
  }
#else
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return AsFolder(self.parent_path());
#endif
  if (argv0 != nullptr && *argv0 != '\0') {
    fs::path program = fs::absolute(argv0, ec);
    if (!ec) return AsFolder(program.parent_path());
  }
  return AsFolder(fs::current_path(ec));
}

fs::path ResolveDataDir(std::vector<std::string>& args, const char* argv0) {
  fs::path chosen;
  for (size_t i = 0; i < args.size();) {
    const std::string& arg = args[i];
    if (arg == "--data-dir" && i + 1 < args.size()) {
      chosen = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + static_cast<std::ptrdiff_t>(i + 2));
    } else if (arg.rfind("--data-dir=", 0) == 0 && arg.size() > 11) {
      chosen = arg.substr(11);
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
  if (!chosen.empty()) return AsFolder(chosen);
  const char* fromEnv = std::getenv("KANRO_DATA_DIR");
  if (fromEnv != nullptr && *fromEnv != '\0') return AsFolder(fromEnv);
  return ExecutableDir(argv0);
}

namespace {
fs::path& ShippedDirStorage() {
  static fs::path dir;
  return dir;
}
}  // namespace

void SetShippedDir(const fs::path& dir) { ShippedDirStorage() = dir.empty() ? fs::path() : AsFolder(dir); }

fs::path ShippedDir() {
  if (!ShippedDirStorage().empty()) return ShippedDirStorage();
  return ExecutableDir(nullptr);
}

void SetDataDir(const fs::path& dir) { DataDirStorage() = AsFolder(dir); }

const fs::path& DataDir() { return DataDirStorage(); }
fs::path StylesheetPath() { return DataDir() / "Kanro.css"; }
fs::path RulesPath() { return DataDir() / "Replace.txt"; }
fs::path KeywordsPath() { return DataDir() / "Keyword.txt"; }
fs::path AutoWatchRulesPath() { return DataDir() / "AutoWatch.txt"; }
fs::path IndexPath() { return DataDir() / "index.htm"; }
fs::path DataFolder() { return DataDir() / "Data" / ""; }
fs::path HeadFolder() { return DataDir() / "Head" / ""; }
fs::path SourcesFolder() { return DataDir() / "Sources" / ""; }
fs::path CssFolder() { return DataDir() / "Css" / ""; }
fs::path ImageFolder() { return DataDir() / "Image" / ""; }

bool CheckDataDirWritable(std::string* reason) {
  const fs::path& dir = DataDir();
  auto fail = [&](const std::string& why) {
    if (reason) *reason = "The data folder " + dir.string() + " cannot be used: " + why;
    return false;
  };
  if (dir.empty()) return fail("no folder was chosen");
  std::error_code ec;
  fs::path plain = dir.has_filename() ? dir : dir.parent_path();
  if (fs::exists(plain, ec) && !fs::is_directory(plain, ec)) return fail("it is not a folder");
  fs::create_directories(dir, ec);
  if (ec) return fail(ec.message());
  if (!fs::is_directory(dir, ec)) return fail("it is not a folder");

  // Writing a probe file is the only check that also sees read-only mounts
  // and access rules beyond the permission bits.
  std::random_device random;
  fs::path probe = dir / (".kanro-write-check-" + std::to_string(random()));
  std::FILE* file = std::fopen(probe.string().c_str(), "wbx");
  if (file == nullptr) return fail(std::strerror(errno));
  bool written = std::fputs("ok", file) >= 0;
  written = (std::fclose(file) == 0) && written;
  fs::remove(probe, ec);
  if (!written) return fail("a test file could not be written");
  return true;
}

}  // namespace kanro::app
