#pragma once
// Which programme cells of the data page on screen carry the watch mark, the
// caption bar's summary of the day's marked programmes, and the start alerts
// of today's page. Plain logic: the view collects the cells, calls this, and
// applies the class changes, the summary and the alerts it returns.
#include <cstdint>
#include <string>
#include <vector>

#include "view/page_cells.h"

namespace kanro::view {

struct WatchAlert {
  int64_t id = 0;      // the programme number
  std::string title;   // CP932, plain text
  int64_t due = 0;     // wall-clock seconds (like time()) when it fires
  std::string note;    // UTF-8, added to the message: an overlap with an earlier mark
};

struct WatchMarkRequest {
  std::vector<std::string> keys;  // the day's stored keys ("Watch"/date)
  std::string date;               // the page's listing date, YYYYMMDD
  std::string entry;              // the page's listing entry
  bool today = false;             // the page is the current listing day's
  bool alertsOn = true;           // "Window"/"Alert" != 0
  int alertMinute = 1;            // "Window"/"AlertMinute"
  int64_t now = 0;                // wall clock, whole seconds
};

struct WatchMarkPass {
  std::vector<CellChange> changes;  // " watch" added to marked cells, removed from the others
  // Only on today's page: the summary "【%s:%s】%s " per marked programme
  // (CP932; empty clears the bar) and the alerts that replace every pending one.
  bool today = false;
  std::string summary;
  std::vector<WatchAlert> alerts;
};

WatchMarkPass DecideWatchMarks(const std::vector<PageCell>& cells, const WatchMarkRequest& request);

// When the alert of a programme starting at hour:minute on the page of
// listing date pageDate fires: the start less alertMinute minutes, with the
// seconds of now. Hours 0-4 belong to the next calendar day. Nothing
// (returns -1) when the clock time is not valid or the alert time is not
// after now.
int64_t AlertDueTime(int pageDate, int hour, int minute, int alertMinute, int64_t now);

// "【%s】開始 %d 分前になりました。" with the title and the lead time (CP932).
std::string AlertMessage(const std::string& title, int alertMinute);

}  // namespace kanro::view
