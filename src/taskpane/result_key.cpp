#include "taskpane/result_key.h"

namespace kanro::taskpane {

std::optional<ResultTarget> DecodeResultKey(ResultKey key, size_t listingCount) {
  if (key < 0) return std::nullopt;
  const ResultKey date = key / static_cast<ResultKey>(kMaxResultEntries);
  const auto entry = static_cast<size_t>(key % static_cast<ResultKey>(kMaxResultEntries));
  if (date < 10000000 || date > 99999999) return std::nullopt;
  if (entry >= listingCount) return std::nullopt;
  return ResultTarget{entry, std::to_string(date)};
}

}  // namespace kanro::taskpane
