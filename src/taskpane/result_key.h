#pragma once
// Reading a result key back: which listing entry and which day a clicked
// search result stands for.
#include <cstddef>
#include <optional>
#include <string>

#include "taskpane/keyword_search.h"

namespace kanro::taskpane {

struct ResultTarget {
  size_t entryIndex = 0;  // position in the listing selector
  std::string date;       // "YYYYMMDD"
};

// The entry is key % 100, the date key / 100. Nothing for a key that cannot
// have come from a search over listingCount entries: negative, no eight-digit
// date, or an entry at or beyond listingCount (the selector changed since).
std::optional<ResultTarget> DecodeResultKey(ResultKey key, size_t listingCount);

}  // namespace kanro::taskpane
