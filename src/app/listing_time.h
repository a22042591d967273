#pragma once
// A listing day runs from 04:55 to 04:55 local time.
#include <cstdint>
#include <string>

namespace kanro::app {

// Seconds between midnight and the start of a listing day.
inline constexpr int64_t kListingDayOffset = 17700;  // 4 h 55 min

// The current time minus 4 h 55 min: its local date is the current listing date.
int64_t GetListingTime();

// The local date of a moment as the number YYYYMMDD (0 when it cannot be converted).
int DateNumber(int64_t time);
// The local date of a moment as eight digits, "YYYYMMDD".
std::string DateText(int64_t time);

}  // namespace kanro::app
