#include "view/watch_marks.h"

namespace kanro::view {

WatchMarkPass DecideWatchMarks(const std::vector<PageCell>&, const WatchMarkRequest&) { return {}; }

int64_t AlertDueTime(int, int, int, int, int64_t) { return -1; }

std::string AlertMessage(const std::string&, int) { return {}; }

}  // namespace kanro::view
