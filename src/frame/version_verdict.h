#pragma once
// What a version answer of the maker's service means for the window. The
// answer is CP932 text: a first line with the newest version number and a
// second line to show the user.
#include <filesystem>
#include <string>
#include <string_view>

namespace kanro::frame {

// The second line is cut to this many characters before it is shown.
inline constexpr size_t kVersionMessageMaxChars = 400;

struct VersionVerdict {
  enum class Kind {
    NoAnswer,  // no first line, or one that does not start with a digit: nothing is shown
    UpToDate,  // "お使いのバージョンが最新です。" for the user's command
    Newer,     // the caption bar button is enabled with message as its tool tip
  };
  Kind kind = Kind::NoAnswer;
  std::string message;  // Newer: the second line, UTF-8, control characters removed, cut
};

// The leading decimal digits of a text as a number (0 when there are none,
// saturated instead of overflowing).
long long LeadingNumber(std::string_view text);
// The own version text ("1.00") with every "." removed, read as a number.
long long OwnVersionNumber(std::string_view versionText);

// Judges an answer given as its bytes.
VersionVerdict JudgeVersionAnswer(std::string_view ownVersionText, std::string_view answer);
// Judges the answer file and deletes it, whatever it held (a missing file is
// no answer).
VersionVerdict JudgeVersionFile(std::string_view ownVersionText, const std::filesystem::path& file);

}  // namespace kanro::frame
