#pragma once
// Files a process of ours leaves behind when it is killed: partial pages
// "<page>.htm.tmp<pid>-<n>[-<stamp>]" beside their targets in Data/ and Head/,
// and raw downloads "tv<pid>-XXXXXX" in the system's temporary folder. Both
// names carry the owner's process id, so start-up can tell a leftover from a
// file another running program is still writing.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kanro::app {

// "tv<pid>-": how this process's raw downloads begin.
std::string RawDownloadPrefix();

// The owner's process id of a raw download ("tv<pid>-" and six more
// characters), or nothing when the name is not one.
std::optional<long> RawDownloadOwner(std::string_view fileName);
// The owner's process id of a partial page (a name ending in
// ".htm.tmp<pid>-<n>" or ".htm.tmp<pid>-<n>-<stamp>"), or nothing.
std::optional<long> PartialPageOwner(std::string_view fileName);

// True when a process with this id runs (or may run: it cannot be checked).
bool ProcessRuns(long pid);

// Removes the partial pages in Data/ and Head/ and the raw downloads in
// the system's temporary folder (only regular files of this user there)
// whose owner process no longer runs. Returns how many files were removed.
int RemoveLeftoverFiles();

}  // namespace kanro::app
