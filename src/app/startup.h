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

}  // namespace kanro::app
