#pragma once
// The text of a programme cell's markup as a reader sees it, hidden text
// included (the default rewrite rule hides the new-series marker the default
// keyword looks for): tags dropped, character references decoded.
#include <optional>
#include <string>
#include <string_view>

#include "text/regex.h"

namespace kanro::view {

// Line breaks (<BR>, the end of a paragraph, division, row or list item)
// kept as "\n", so the title and the description below it stay apart; other
// white space of the markup as blanks; each line trimmed. Tag names in
// capitals, as PageCell::markup has them.
std::u32string CellText(std::u32string_view markup);

// All on one line: line breaks and no-break spaces as blanks, ends trimmed.
std::u32string PlainText(std::u32string_view markup);

struct CellProgramme {
  std::u32string hour;
  std::u32string minute;
  std::u32string title;
};

// The start time and visible title of a programme cell: the first STRONG
// holds "H:MM", the next the title (a hidden new-series copy comes later).
class ProgrammeCellReader {
 public:
  std::optional<CellProgramme> Read(const std::u32string& markup) const;

 private:
  text::WRegex m_image{U"<IMG.*?>"};
  text::WRegex m_startAndTitle{U"<STRONG>(.*?):(.*?)</STRONG>.*?<STRONG>(.*?)</STRONG>"};
};

}  // namespace kanro::view
