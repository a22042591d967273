#include "view/iepg_file.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace kanro::view {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

// "application/x-tv-program-info" and its digital variant, with or without
// parameters ("; charset=shift_jis").
bool IsIepgMediaType(std::string_view value) {
  const std::string type = Lower(TrimSpaces(value.substr(0, value.find(';'))));
  return type == "application/x-tv-program-info" || type == "application/x-tv-program-digital-info";
}

}  // namespace

IepgCheck CheckIepgFile(std::string_view bytes) {
  if (bytes.empty()) return IepgCheck::Empty;
  if (bytes.size() > kMaxIepgFileBytes) return IepgCheck::TooLarge;
  // Text only: a NUL byte means binary data.
  if (bytes.find('\0') != std::string_view::npos) return IepgCheck::NotIepg;
  std::string_view first = bytes.substr(0, bytes.find('\n'));
  const size_t colon = first.find(':');
  if (colon == std::string_view::npos) return IepgCheck::NotIepg;
  if (Lower(TrimSpaces(first.substr(0, colon))) != "content-type") return IepgCheck::NotIepg;
  return IsIepgMediaType(first.substr(colon + 1)) ? IepgCheck::Ok : IepgCheck::NotIepg;
}

}  // namespace kanro::view
