#pragma once
// Channel ids that survive a change of the line-up. A column number shifts
// when a station is added, so the id is taken from the station itself: the
// code of the listing site's channel page ("/contents/ch/008/0024.html" gives
// 0024) or, without one, the station's name. Ids hold only letters, digits
// and hyphens (what XMLTV validators accept) and are unique within an entry.
#include <string>
#include <string_view>
#include <vector>

#include "export/listing_day.h"

namespace kanro::exports {

// The station part of a channel's id: "0024" from its channel page, "n" and
// the hexadecimal hash of its name, or "c" and the column (1-based) when the
// page names neither.
std::string StationToken(const ListingChannel& channel, size_t column);

// The tokens of a page's channels in column order, a repeated one given
// "-2", "-3" ... so that every column has its own.
std::vector<std::string> StationTokens(const std::vector<ListingChannel>& channels);

// "08GooTv-0024.kanro".
std::string XmltvChannelId(std::string_view entry, std::string_view token);

}  // namespace kanro::exports
