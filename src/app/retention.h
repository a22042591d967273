#pragma once
// Deletes data pages older than the retention period ("Download"/"ExistTerm"
// days) together with the watch marks of those days.
#include <cstdint>
#include <string_view>

namespace kanro::app {

// The retention period in days from its stored text: the leading decimal
// digits only ("3 days" is 3; "", "∞", "abc", "-3" are 0). Huge numbers are
// capped, so the cut-off date stays computable; 0 means keep for ever.
int64_t ParseRetentionDays(std::string_view text);

// The oldest listing date (YYYYMMDD) that stays for a retention of days.
int RetentionCutoff(int64_t days);

// Runs the clean-up once. Returns the number of data pages removed.
int RemoveOldFiles();

}  // namespace kanro::app
