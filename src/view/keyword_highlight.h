#pragma once
// Which programme cells of a data page the keywords mark. Plain logic: the
// view collects the cells' texts from the page, calls this and applies the
// marks (class " keyword", id = the cell number) it returns.
#include <map>
#include <string>
#include <vector>

namespace kanro::view {

// One marked cell.
struct CellMark {
  size_t cell = 0;      // index into the texts given
  int number = 0;       // 0, 1, 2 ... in document order of the marked cells
  std::string hitText;  // the whole match (CP932)
};

struct KeywordHighlight {
  // False when the keyword list was empty: nothing is to change on the page
  // and the task pane keeps what it shows.
  bool applied = false;
  std::vector<CellMark> marks;      // in document order
  std::map<int, std::string> hits;  // cell number -> matched text (CP932)
};

// Tries the keywords on every cell's inner text. The keywords (CP932) are
// taken as a set ordered by wide code units, so duplicates count once and
// that order decides: the first keyword that matches a cell marks it. A
// keyword that does not compile matches nothing. Matching is case-sensitive.
KeywordHighlight HighlightCells(const std::vector<std::u32string>& cellTexts,
                                const std::vector<std::string>& keywords);

}  // namespace kanro::view
