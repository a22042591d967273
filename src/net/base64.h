#pragma once
// Standard Base64: the usual alphabet, "=" padding, no line breaks.
#include <string>
#include <string_view>

std::string Base64Encode(std::string_view bytes);
