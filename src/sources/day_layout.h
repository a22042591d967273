#pragma once
// Lays one listing day of a source's schedule out as the programme table of
// the data pages: one row a minute from 05:00 of the listing date to 05:00 of
// the next, local wall-clock time, one column per channel, every row of every
// column covered by exactly one cell (a programme cell or a gap).
//
// Overlaps are resolved without dropping a programme: a programme that is
// still running when the next one of its channel starts ends where the next
// begins, and programmes that start in the same minute share one cell. A
// programme that began before 05:00 starts the table (its cell names no start
// time); one that runs past 05:00 is cut at the end of the table. On a day
// the clock is put back the repeated hour is laid over itself (the overlap
// rule applies); on a day it is put forward the missing hour stays empty.
#include <cstdint>
#include <vector>

#include "sources/source_schedule.h"

namespace kanro::sources {

inline constexpr int kRowsPerDay = 1440;
// The minute of the listing date (after its midnight) the first row stands for.
inline constexpr int kDayStartMinute = 300;

struct DayCell {
  int row = 0;   // first row, 0 = 05:00
  int rows = 0;  // at least 1
  std::vector<size_t> programmes;  // indexes into the schedule; empty for a gap
  bool continued = false;          // the first programme began before 05:00
};

struct DayColumn {
  std::vector<DayCell> cells;  // in row order, covering every row once
};

struct DayLayout {
  std::vector<DayColumn> columns;  // one per channel of the schedule
  size_t programmeCount = 0;       // programme cells laid out
};

// Wall-clock minutes of a moment since 1970-01-01 00:00 local time (civil
// days × 1440 + minutes of the day); the unit the layout places by.
int64_t WallMinute(int64_t time);
// Wall-clock minute of 00:00 of a date (YYYYMMDD).
int64_t WallMinuteOfDate(int dateNumber);

// The day of dateNumber (YYYYMMDD).
DayLayout LayOutDay(const SourceSchedule& schedule, int dateNumber);

}  // namespace kanro::sources
