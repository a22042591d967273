#include "taskpane/ranking_task_rule.h"

namespace kanro::taskpane {

bool RankingTaskHiddenAtStart(int maxRank, bool launchAuto, bool unattendedStart) {
  return maxRank == 0 || (launchAuto && !unattendedStart);
}

}  // namespace kanro::taskpane
