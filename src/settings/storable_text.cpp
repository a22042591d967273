#include "settings/storable_text.h"

#include "text/codepage.h"

namespace kanro::settings {

std::optional<std::string> ToStorableText(std::string_view utf8, LineBreaks breaks, std::string* message) {
  const std::u32string wide = text::Utf8ToWide(utf8);
  for (const char32_t c : wide) {
    if (breaks == LineBreaks::Refuse && (c == U'\t' || c == U'\r' || c == U'\n')) {
      if (message) *message = "タブや改行は入力できません。";
      return std::nullopt;
    }
    if (c == U'?') continue;
    const std::u32string one(1, c);
    if (c == 0xFFFD || text::WideToCp932(one) == "?") {
      if (message) *message = "「" + text::WideToUtf8(one) + "」はシフトJISで保存できない文字のため入力できません。";
      return std::nullopt;
    }
  }
  return text::WideToCp932(wide);
}

}  // namespace kanro::settings
