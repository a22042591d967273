#pragma once
// Reads an XMLTV file as a stream (one pass, constant memory beyond the
// programmes kept): <channel id> with its <display-name>s, <programme start
// stop channel> with <title>, <sub-title>, <desc>, <category>,
// <episode-num>, <new/> and <previously-shown/>. Of several lang variants the
// Japanese one is taken, else one without lang, else the first. Times carry
// any offset ("+0900", "-0500", "+09:00", "Z"); without one they are UTC, as
// the format says. Messages are UTF-8, Japanese.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "sources/source_schedule.h"

class QIODevice;

namespace kanro::sources {

struct XmltvFilter {
  // Channel ids to keep; empty keeps every channel.
  std::set<std::string> channels;
  // Programmes that stop at or before from or start at or after until are
  // not kept (seconds since 1970).
  int64_t from = kEarliestStart;
  int64_t until = kLatestStart;
};

// False with error when the file cannot be read, is not well-formed XML, is
// not XMLTV or names no channel (none of the filter's).
bool ReadXmltvFile(const std::filesystem::path& path, const XmltvFilter& filter, SourceSchedule* schedule,
                   std::string* error);
bool ReadXmltv(QIODevice& input, const XmltvFilter& filter, SourceSchedule* schedule, std::string* error);

// "20110309050000 +0900" and the shorter forms down to "20110309": seconds
// since 1970, or nothing.
std::optional<int64_t> ParseXmltvTime(std::string_view text);

// The genre number (0 to 15) of a category name in Japanese or English, as
// the exports write them ("ドラマ", "Movie / Drama", "アニメ／特撮", "news"), or
// -1; *shared tells whether several genres go by that name.
int GenreOfCategory(std::string_view name, bool* shared = nullptr);

// The watch ID of an XMLTV programme: eight digits from its channel id, then
// day, hour and minute of its local start.
std::string XmltvWatchId(std::string_view channelId, int64_t start);

}  // namespace kanro::sources
