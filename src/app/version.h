#pragma once
#include <string>

namespace kanro::app {

// The program version for display: major, minor and patch formatted
// "%d.%d%d", so 1.0.0 gives "1.00".
std::string GetVersionString();

}  // namespace kanro::app
