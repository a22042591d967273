#pragma once
// Why a pattern did not compile, as a Japanese sentence (UTF-8) a user can
// act on, for the engine's compile error codes.
#include <string>

namespace kanro::text {

std::string PatternErrorText(int engineErrorCode);

}  // namespace kanro::text
