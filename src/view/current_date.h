#pragma once
// The listing day on screen, as eight digits "YYYYMMDD" (empty at start).
// Written by the day commands, the date picker and the window; UI thread only.
#include <string>

namespace kanro::view {

std::string& CurrentDate();

}  // namespace kanro::view
