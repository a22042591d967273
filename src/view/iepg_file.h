#pragma once
// iEPG files (".tvpi"): the small text files a listing site offers per
// programme, which the view hands to the application the desktop associates
// with them (a recorder). A file is only handed over when it is one: its
// first line is a "Content-type:" header naming the iEPG media type, and it
// is small text. Plain logic, so the check is tested without a browser.
#include <cstddef>
#include <string_view>

namespace kanro::view {

// The largest iEPG file accepted; real ones are a few hundred bytes.
inline constexpr size_t kMaxIepgFileBytes = 64 * 1024;

enum class IepgCheck {
  Ok,
  Empty,
  TooLarge,
  NotIepg,  // HTML, binary data or any other text
};

IepgCheck CheckIepgFile(std::string_view bytes);

}  // namespace kanro::view
