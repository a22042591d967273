#pragma once
// The listing day on screen, as eight digits "YYYYMMDD" (empty at start):
// the date of the window's day state (view/day_state.h), which the day
// commands, the date picker and the task pane change. UI thread only.
#include <string>

namespace kanro::view {

const std::string& CurrentDate();

}  // namespace kanro::view
