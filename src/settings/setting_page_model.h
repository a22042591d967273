#pragma once
// What every page model of the settings sheet offers the sheet: the patterns
// that do not compile (asked about on OK), saving, and undoing what the page
// already changed on disk while the sheet was open.
#include <string>
#include <vector>

namespace kanro::settings {

struct InvalidPattern {
  std::string patternUtf8;
  std::string error;  // the compiler's reason, English
};

class SettingPageModel {
 public:
  virtual ~SettingPageModel() = default;
  virtual std::vector<InvalidPattern> InvalidPatterns() const { return {}; }
  // Writes the page's values; false when something could not be stored.
  virtual bool Save() = 0;
  // The sheet was cancelled: undo what the page wrote while it was open.
  virtual void Discard() {}
};

}  // namespace kanro::settings
