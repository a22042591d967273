#pragma once
// What a listing source that is not a web page reads: its channels in the
// order the user sees them and its programmes as moments in time. Text is
// UTF-8 and plain (no markup); the day composer escapes it.
#include <cstdint>
#include <string>
#include <vector>

namespace kanro::sources {

struct SourceChannel {
  std::string key;   // what identifies the channel at the source ("3273601024", "ch1.example")
  std::string name;  // display name
};

struct SourceProgramme {
  size_t channel = 0;  // index into SourceSchedule::channels
  int64_t start = 0;   // seconds since 1970
  int64_t stop = 0;    // seconds since 1970, after start
  std::string title;
  std::string subtitle;     // may be empty
  std::string description;  // may be empty
  int genre = -1;           // 0 to 15 in the order of the listing sites' genres; -1 none
  bool isNew = false;       // carries the new-series mark
  // The watch ID: decimal digits derived from what identifies the programme
  // at its source, never from its place on a page.
  std::string watchId;
};

struct SourceSchedule {
  std::vector<SourceChannel> channels;
  std::vector<SourceProgramme> programmes;
  // Programmes of the answer that were left out (no title, no length, a time
  // out of range, an unknown channel, a repeated identity).
  int rejected = 0;
};

// Earliest and latest start accepted from a source: 2000-01-01 and 2100-01-01.
inline constexpr int64_t kEarliestStart = 946684800;
inline constexpr int64_t kLatestStart = 4102444800;
// Longest programme accepted: two days.
inline constexpr int64_t kLongestProgramme = 2 * 86400;

// Removes control characters (C0 but tab and line ends, DEL, C1) from UTF-8
// text; tabs and line ends become blanks. Invalid UTF-8 bytes are dropped.
std::string CleanText(std::string_view utf8);

}  // namespace kanro::sources
