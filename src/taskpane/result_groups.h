#pragma once
// What the task pane lists for one keyword search: a group per keyword that
// found something, in the keyword list's order, and a marked group for a
// keyword the search could not (fully) use, so it is never silently dropped.
#include <string>
#include <vector>

#include "taskpane/keyword_search.h"

namespace kanro::taskpane {

struct ResultTask {
  std::string text;  // CP932, e.g. "03/09 東京都【地上波】"
  ResultKey key = 0;
};

struct ResultGroup {
  std::string keyword;  // CP932, as in the keyword list
  std::string caption;  // CP932: the keyword, with a mark when marked
  bool marked = false;  // not a valid pattern, or some pages were not searched
  std::string toolTip;  // CP932: why it is marked (empty when not)
  std::vector<ResultTask> tasks;  // by date, then by listing order
};

std::vector<ResultGroup> BuildResultGroups(const std::vector<KeywordResults>& results);

}  // namespace kanro::taskpane
