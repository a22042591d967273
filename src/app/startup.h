#pragma once
// The start-up tasks the program and every data-folder command of kanro-cli
// run before anything else.
#include <string>

namespace kanro::app {

// Checks that the data folder (SetDataDir) can be written, then creates the
// default files, removes what killed processes of ours left behind
// (RemoveLeftoverFiles) and runs the retention clean-up. False, with a reason in
// plain words, when the folder cannot be used.
bool PrepareDataFolder(std::string* reason);

// For work that writes only the settings store: the same tasks as far as the
// data folder allows. When it cannot be written (full, read-only, not a
// folder) the default files are skipped and false is returned with the
// reason, but the retention clean-up still runs: it removes what it can and
// the watch marks of the old days, which live in the settings.
bool PrepareDataFolderIfWritable(std::string* reason);

}  // namespace kanro::app
