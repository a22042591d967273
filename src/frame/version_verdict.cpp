#include "frame/version_verdict.h"

#include <climits>
#include <system_error>

#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::frame {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One line of the answer without its line end; false past the last line.
bool NextLine(std::string_view& rest, std::string_view* line) {
  if (rest.empty()) return false;
  size_t end = rest.find('\n');
  *line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
  if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
  return true;
}

// The server's message as plain text: control characters dropped, cut to a
// length a message box and a tool tip can show.
std::string PlainMessage(std::string_view cp932) {
  std::u32string wide = text::Cp932ToWide(cp932);
  std::u32string clean;
  for (char32_t c : wide) {
    if (c < 0x20 || c == 0x7F) continue;
    if (clean.size() >= kVersionMessageMaxChars) {
      clean += U'…';
      break;
    }
    clean += c;
  }
  while (!clean.empty() && clean.back() == U' ') clean.pop_back();
  return text::WideToUtf8(clean);
}

}  // namespace

long long LeadingNumber(std::string_view text) {
  long long value = 0;
  for (char c : text) {
    if (!IsDigit(c)) break;
    int digit = c - '0';
    if (value > (LLONG_MAX - digit) / 10) return LLONG_MAX;
    value = value * 10 + digit;
  }
  return value;
}

long long OwnVersionNumber(std::string_view versionText) {
  std::string digits;
  for (char c : versionText)
    if (c != '.') digits += c;
  return LeadingNumber(digits);
}

VersionVerdict JudgeVersionAnswer(std::string_view ownVersionText, std::string_view answer) {
  VersionVerdict verdict;
  std::string_view rest = answer;
  std::string_view first;
  if (!NextLine(rest, &first) || first.empty() || !IsDigit(first.front())) return verdict;
  verdict.kind = VersionVerdict::Kind::UpToDate;
  std::string_view second;
  if (OwnVersionNumber(ownVersionText) < LeadingNumber(first) && NextLine(rest, &second)) {
    std::string message = PlainMessage(second);
    if (!message.empty()) {
      verdict.kind = VersionVerdict::Kind::Newer;
      verdict.message = std::move(message);
    }
  }
  return verdict;
}

VersionVerdict JudgeVersionFile(std::string_view ownVersionText, const std::filesystem::path& file) {
  std::optional<std::string> bytes = text::ReadFileBytes(file);
  std::error_code ignored;
  std::filesystem::remove(file, ignored);
  if (!bytes) return {};
  return JudgeVersionAnswer(ownVersionText, *bytes);
}

}  // namespace kanro::frame
