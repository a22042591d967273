#include "settings/setting_sheet_model.h"

namespace kanro::settings {

SheetOkResult ConfirmPages(const std::vector<OpenedPage>& pages,
                           const std::function<bool(const std::vector<InvalidPattern>&)>& saveAnyway) {
  SheetOkResult result;
  std::vector<InvalidPattern> invalid;
  int firstInvalidPage = -1;
  for (const OpenedPage& page : pages) {
    std::vector<InvalidPattern> own = page.model->InvalidPatterns();
    if (!own.empty() && firstInvalidPage < 0) firstInvalidPage = page.index;
    invalid.insert(invalid.end(), own.begin(), own.end());
  }
  if (!invalid.empty() && !saveAnyway(invalid)) {
    result.pageToShow = firstInvalidPage;
    return result;
  }
  for (const OpenedPage& page : pages) {
    if (!page.model->Save()) {
      result.pageToShow = page.index;
      result.message = "設定を保存できませんでした。ファイルやフォルダに書き込めるか確認してください。";
      return result;
    }
  }
  result.saved = true;
  return result;
}

std::string InvalidPatternQuestion(const std::vector<InvalidPattern>& patterns) {
  std::string text = "次の正規表現は誤りがあるため、どの文字列にも一致しません。\n\n";
  for (const InvalidPattern& p : patterns) text += p.patternUtf8 + "\t(" + p.error + ")\n";
  text += "\nこのまま保存しますか？\n\n[はい]\t保存して閉じます。\n[いいえ]\t設定画面に戻ります。";
  return text;
}

}  // namespace kanro::settings
