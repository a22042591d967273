#pragma once
// The data folder and the paths derived from it. The data folder is the folder
// of the executable (a portable program) unless --data-dir DIR or the
// environment variable KANRO_DATA_DIR names another. Folder paths end with a
// separator.
#include <filesystem>
#include <string>
#include <vector>

namespace kanro::app {

// Chooses the data folder from the command line, the environment and the
// executable's folder, in that order. Removes --data-dir and its value from
// args. Returns the folder with a trailing separator.
std::filesystem::path ResolveDataDir(std::vector<std::string>& args, const char* argv0);

// Fixes the data folder for the process.
void SetDataDir(const std::filesystem::path& dir);
const std::filesystem::path& DataDir();     // m_strDataDir
std::filesystem::path StylesheetPath();     // Kanro.css
std::filesystem::path RulesPath();          // Replace.txt
std::filesystem::path KeywordsPath();       // Keyword.txt
std::filesystem::path AutoWatchRulesPath(); // AutoWatch.txt
std::filesystem::path IndexPath();          // index.htm
std::filesystem::path DataFolder();         // Data/
std::filesystem::path HeadFolder();         // Head/
std::filesystem::path SourcesFolder();      // Sources/: what earlier downloads of the sources saw
std::filesystem::path CssFolder();          // Css/
std::filesystem::path ImageFolder();        // Image/

// The folder of the running executable.
std::filesystem::path ExecutableDir(const char* argv0);

// The folder holding the files shipped with the program (Css/, Image/): the
// executable's folder unless replaced (tests point it at the source tree).
// Start-up copies them into a data folder that lacks them.
void SetShippedDir(const std::filesystem::path& dir);
std::filesystem::path ShippedDir();

// Checks that the data folder exists (creating it if needed) and can be
// written. On failure returns false and sets a plain-words reason.
bool CheckDataDirWritable(std::string* reason);

}  // namespace kanro::app
