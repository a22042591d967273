#pragma once
// The user's automatic watch rules, kept in AutoWatch.txt (CP932) beside
// Keyword.txt: one rule a line, six tab-separated fields
//   PATTERN  PROGRAMS  CHANNELS  WEEKDAYS  TIME  ENABLED
// PATTERN is a regular expression as the keywords use; PROGRAMS the listing
// entries each followed by a comma ("08GooTv,13YahooFm,"); CHANNELS channel
// names as a comma list; WEEKDAYS digits 0 (Sunday) to 6; TIME a start-time
// range "HH:MM-HH:MM" that may cross midnight; ENABLED "1" or "0". An empty
// limit field limits nothing. Fields are kept as written, so loading and
// saving gives the file back byte for byte; a line that is not a rule is kept
// whole and written back as it was, but never runs.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::app {

struct AutoWatchRule {
  std::string pattern;
  std::string programs;
  std::string channels;
  std::string weekdays;
  std::string time;
  bool enabled = true;
  // The line as read when it did not have the six fields of a rule (or an
  // enable flag other than "1" or "0").
  std::optional<std::string> unreadLine;

  bool operator==(const AutoWatchRule&) const = default;
};

inline constexpr size_t kAutoWatchFieldCount = 6;

AutoWatchRule ParseAutoWatchLine(std::string_view line);
// The line a rule is saved as (without the line end).
std::string FormatAutoWatchLine(const AutoWatchRule& rule);
// True when a field cannot be saved as it is: it holds a tab or a line end.
bool HasUnsavableField(const AutoWatchRule& rule);

// Empties the list, then reads AutoWatch.txt; a missing file gives no rules.
void LoadAutoWatchRules(std::vector<AutoWatchRule>& rules);
// Writes every rule a line (CR LF), atomically: false and the old file left
// as it was when the write fails or a field holds a tab or a line end.
bool SaveAutoWatchRules(const std::vector<AutoWatchRule>& rules);

}  // namespace kanro::app
