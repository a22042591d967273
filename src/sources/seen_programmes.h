#pragma once
// What earlier downloads saw of a listing day of a source, kept beside the
// data pages ("Sources/<page name>.json" in the data folder). A tuner server
// forgets programmes once they have ended, so a re-download in the evening
// would blank the morning: the programmes that have ended since keep their
// place unless the source now has another programme there.
#include <cstdint>
#include <filesystem>
#include <string>

#include "sources/source_schedule.h"

namespace kanro::sources {

std::filesystem::path SeenProgrammesFolder();
std::filesystem::path SeenProgrammesPath(const std::string& pageName);

// The day's programmes as stored: channels and programmes (empty when there
// is no file or it cannot be read).
SourceSchedule LoadSeenProgrammes(const std::filesystem::path& path);
// Stores them atomically; false on a file error.
bool SaveSeenProgrammes(const std::filesystem::path& path, const SourceSchedule& day);

// Adds to current the programmes of seen that ended before now, on a channel
// current has, where current has no programme of that channel overlapping
// them and none with the same watch ID. Returns how many were added.
int KeepEndedProgrammes(SourceSchedule& current, const SourceSchedule& seen, int64_t now);

// The programmes of schedule that touch the listing day of dateNumber, with
// all channels: what is stored for that day.
SourceSchedule ProgrammesOfDay(const SourceSchedule& schedule, int dateNumber);

// Removes stored days of entry older than the listing date beforeDate.
void RemoveSeenBefore(const std::string& entry, int beforeDate);

}  // namespace kanro::sources
