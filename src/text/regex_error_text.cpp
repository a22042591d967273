#include "text/regex_error_text.h"

#ifndef PCRE2_CODE_UNIT_WIDTH
#define PCRE2_CODE_UNIT_WIDTH 8
#endif
#include <pcre2.h>

namespace kanro::text {

std::string PatternErrorText(int code) {
  // The pattern translator catches the common mistakes with texts of its
  // own; these are what the engine still finds after it.
  switch (code) {
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG:
      return "{} の中の数が大きすぎます";
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
      return "{} の中の数の順序が逆です";
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET:
      return "文字クラスの閉じかっこ「]」がありません";
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE:
      return "文字クラスの範囲が正しくありません";
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS:
      return "閉じかっこ「)」が足りません";
    case PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS:
      return "対応する開きかっこ「(」のない「)」があります";
    case PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH:
    case PCRE2_ERROR_LOOKBEHIND_TOO_COMPLICATED:
    case PCRE2_ERROR_LOOKBEHIND_TOO_LONG:
      return "後読み「(?<=…)」「(?<!…)」の中は決まった長さにしてください";
    case PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP:
    case PCRE2_ERROR_PARENTHESES_STACK_CHECK:
      return "かっこの入れ子が深すぎます";
    case PCRE2_ERROR_PATTERN_TOO_LARGE:
    case PCRE2_ERROR_PATTERN_TOO_COMPLICATED:
    case PCRE2_ERROR_PATTERN_STRING_TOO_LONG:
    case PCRE2_ERROR_TOO_MANY_CAPTURES:
      return "パターンが大きすぎます";
    case PCRE2_ERROR_HEAP_FAILED:
      return "メモリーが足りないため、パターンを解釈できませんでした";
    default:
      return "正規表現として解釈できません（エラー番号 " + std::to_string(code) + "）";
  }
}

}  // namespace kanro::text
