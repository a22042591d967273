#pragma once
// The answers of a tuner server's HTTP API read into a schedule:
//   GET /api/services  an array of services (id, serviceId, networkId, name,
//                      type, remoteControlKeyId, channel {type, channel})
//   GET /api/programs  an array of programmes (id, eventId, serviceId,
//                      networkId, startAt and duration in ms, name,
//                      description, extended, genres [{lv1, lv2, un1, un2}],
//                      series {episode, ...})
// Messages are UTF-8, Japanese, and name what was wrong.
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "sources/source_schedule.h"

namespace kanro::sources {

enum class BroadcastKind { Terrestrial, Bs, Cs };

struct BroadcastKindNames {
  std::string_view typeKey;      // "TunerGr": the listing type of the kind
  std::string_view channelType;  // "GR": the channel type in the server's answers
  std::string_view name;         // "地デジ": for messages (UTF-8)
};
const BroadcastKindNames& NamesOf(BroadcastKind kind);

struct TunerChannels {
  // (networkId, serviceId) to the channel index of the schedule.
  std::map<std::pair<int64_t, int64_t>, size_t> byService;
  std::vector<int64_t> networks;  // distinct network ids, in channel order
};

// Reads /api/services: the television services (type 1) of the kind, in
// remote-control key order, then by service id; a service listed twice
// counts once. False with error when the answer is not a JSON array.
bool ReadTunerServices(std::string_view json, BroadcastKind kind, SourceSchedule* schedule, TunerChannels* channels,
                       std::string* error);

// Adds the programmes of /api/programs that belong to the channels. A
// programme without a name, with no or a negative duration, with a start out
// of range or repeating a service's event id is left out and counted in
// schedule->rejected. False with error when the answer is not a JSON array.
bool ReadTunerPrograms(std::string_view json, const TunerChannels& channels, SourceSchedule* schedule,
                       std::string* error);

// The watch ID of a programme of the tuner server: service id and event id,
// five digits each.
std::string TunerWatchId(int64_t serviceId, int64_t eventId);

}  // namespace kanro::sources
