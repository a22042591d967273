#include "app/default_files.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "app/frameset_page.h"
#include "app/paths.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::app {
namespace fs = std::filesystem;
namespace {

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Copies through a temporary name so an interrupted copy never leaves a
// partial file that would count as present at the next start.
bool CopyWhole(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) return false;
  fs::path temp = to;
  temp += ".part";
  fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
  if (!ec) fs::rename(temp, to, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
  }
  return true;
}

// Copies the shipped folder (Css or Image) into the data folder when the data
// folder has no such folder, as with --data-dir pointing at a new place.
void CopyShippedFolder(const char* name) {
  fs::path target = DataDir() / name;
  fs::path source = ShippedDir() / name;
  std::error_code ec;
  if (Exists(target) || !fs::is_directory(source, ec)) return;
  if (fs::equivalent(source, target, ec)) return;
  fs::create_directories(target, ec);
  for (const fs::directory_entry& entry : fs::directory_iterator(source, ec)) {
    if (entry.is_regular_file(ec)) CopyWhole(entry.path(), target / entry.path().filename());
  }
}

bool WriteTextFile(const fs::path& path, const std::string& text) {
  text::AtomicTextFileWriter writer;
  if (writer.Open(path) && writer.Write(text) && writer.Commit()) return true;
  writer.Discard();
  return false;
}

// Two rules: drop every alt attribute; after a new-series marker add a hidden
// "【新】" and the title, which the default keyword finds.
std::string DefaultRules() {
  return text::Utf8ToCp932(
      "alt=\".*?\"\t\t1\n"
      "shinban.gif.*?>(.*?)</strong>..*?</a>\t$0<span style=\"display: none;\">【新】$1</span>\t1\n");
}

std::string DefaultKeywords() { return text::Utf8ToCp932("【新】.*"); }

}  // namespace

void CreateDefaultFiles() {
  std::error_code ec;
  fs::create_directories(DataFolder(), ec);
  fs::create_directories(HeadFolder(), ec);
  CopyShippedFolder("Css");
  CopyShippedFolder("Image");

  if (!Exists(StylesheetPath())) {
    if (!CopyWhole(CssFolder() / "default.css", StylesheetPath()))
      CopyWhole(ShippedDir() / "Css" / "default.css", StylesheetPath());
  }
  if (!Exists(IndexPath())) CreateIndex(IndexPath());
  if (!Exists(RulesPath())) WriteTextFile(RulesPath(), DefaultRules());
  if (!Exists(KeywordsPath())) WriteTextFile(KeywordsPath(), DefaultKeywords());
}

}  // namespace kanro::app
