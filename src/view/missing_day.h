#pragma once
// What the window says when the day or listing the user picked has no page
// to show: which day and listing are missing, and whether a download can
// bring the page (a run fetches the days from today's listing day on).
#include <string>

namespace kanro::view {

struct MissingDayNotice {
  std::string text;            // UTF-8, one sentence or two
  bool offerDownload = false;  // a download would write the page
};

// date8 and today8: "YYYYMMDD"; entryLabel: "東京都[地上波]" (UTF-8);
// downloadDays: the days one run fetches.
MissingDayNotice DescribeMissingDay(const std::string& date8, const std::string& entryLabel,
                                    const std::string& today8, int downloadDays);

}  // namespace kanro::view
