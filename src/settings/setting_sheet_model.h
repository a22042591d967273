#pragma once
// OK of the settings sheet, all or nothing: only the pages the user opened
// take part; their invalid patterns are put to the user first, and only then
// is every page saved, in page order.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "settings/setting_page_model.h"

namespace kanro::settings {

struct OpenedPage {
  int index;  // position in the sheet
  SettingPageModel* model;
};

struct SheetOkResult {
  bool saved = false;
  int pageToShow = -1;  // where the sheet stays open, -1 when it closes
  std::string message;  // UTF-8, for a failure to save
};

// saveAnyway is asked once with every invalid pattern of the opened pages;
// false keeps the sheet open on the first page that has one. Pages must be in
// sheet order.
SheetOkResult ConfirmPages(const std::vector<OpenedPage>& pages,
                           const std::function<bool(const std::vector<InvalidPattern>&)>& saveAnyway);

// The text of the question about invalid patterns (UTF-8).
std::string InvalidPatternQuestion(const std::vector<InvalidPattern>& patterns);

}  // namespace kanro::settings
