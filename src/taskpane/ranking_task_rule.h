#pragma once
// Whether the task "視聴予定ランキング再読込" (31003) starts hidden: when no
// ranking is wanted ("Window"/"MaxRank" 0), or when an automatic download at
// start ("Download"/"LaunchAuto") will bring the ranking with its chain,
// whose end shows the task. An unattended "/d" start is not such a case.
namespace kanro::taskpane {

bool RankingTaskHiddenAtStart(int maxRank, bool launchAuto, bool unattendedStart);

}  // namespace kanro::taskpane
