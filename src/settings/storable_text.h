#pragma once
// Text typed into the settings pages, checked before it reaches a file or a
// setting: both hold CP932, and the line files cannot hold tabs or line ends.
#include <optional>
#include <string>
#include <string_view>

namespace kanro::settings {

enum class LineBreaks { Refuse, Allow };

// The CP932 form of UTF-8 text typed by the user. Nothing, with a message for
// the user (UTF-8), when the text holds a tab, CR or LF (unless allowed) or a
// character CP932 cannot hold: silently turning it into "?" would change what
// a pattern means.
std::optional<std::string> ToStorableText(std::string_view utf8, LineBreaks breaks, std::string* message);

}  // namespace kanro::settings
