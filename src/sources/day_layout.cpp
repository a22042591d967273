#include "sources/day_layout.h"

#include <algorithm>

#include "app/clock.h"
#include "export/civil_date.h"

namespace kanro::sources {

int64_t WallMinute(int64_t time) {
  const app::LocalDate local = app::ToLocalDate(time);
  if (local.year == 0) return time / 60;  // no local time: take the clock as UTC
  return exports::DaysFromCivil({local.year, local.month, local.day}) * 1440 + local.hour * 60 + local.minute;
}

int64_t WallMinuteOfDate(int dateNumber) { return exports::DaysFromCivil(exports::FromDateNumber(dateNumber)) * 1440; }

DayLayout LayOutDay(const SourceSchedule& schedule, int dateNumber) {
  const int64_t dayStart = WallMinuteOfDate(dateNumber) + kDayStartMinute;
  const int64_t dayEnd = dayStart + kRowsPerDay;

  struct Placed {
    size_t index;
    int first;  // row
    int end;    // row, exclusive
    bool continued;
  };
  std::vector<std::vector<Placed>> perChannel(schedule.channels.size());
  for (size_t i = 0; i < schedule.programmes.size(); ++i) {
    const SourceProgramme& p = schedule.programmes[i];
    if (p.channel >= schedule.channels.size() || p.stop <= p.start) continue;
    const int64_t start = WallMinute(p.start);
    // A programme shorter than a minute still gets its minute.
    const int64_t stop = std::max(WallMinute(p.stop), start + 1);
    if (stop <= dayStart || start >= dayEnd) continue;
    const int first = static_cast<int>(std::max(start, dayStart) - dayStart);
    const int end = static_cast<int>(std::min(stop, dayEnd) - dayStart);
    perChannel[p.channel].push_back({i, first, end, start < dayStart});
  }

  DayLayout layout;
  layout.columns.resize(schedule.channels.size());
  for (size_t c = 0; c < perChannel.size(); ++c) {
    std::vector<Placed>& placed = perChannel[c];
    // By start, the shorter first; equal ones keep the source's order.
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
      return a.first != b.first ? a.first < b.first : a.end < b.end;
    });
    std::vector<DayCell>& cells = layout.columns[c].cells;
    int covered = 0;  // rows up to here have their cell
    for (const Placed& p : placed) {
      DayCell* last = cells.empty() || cells.back().programmes.empty() ? nullptr : &cells.back();
      if (last && p.first == last->row) {
        // Same start minute: one cell for both, as long as the longer one.
        last->programmes.push_back(p.index);
        last->rows = std::max(last->rows, p.end - last->row);
        covered = last->row + last->rows;
        continue;
      }
      if (last && p.first < covered) {
        // Still running when this one starts: it ends here.
        last->rows = p.first - last->row;
        covered = p.first;
      }
      if (p.first > covered) cells.push_back({covered, p.first - covered, {}, false});
      cells.push_back({p.first, p.end - p.first, {p.index}, p.continued});
      covered = p.end;
    }
    if (covered < kRowsPerDay) cells.push_back({covered, kRowsPerDay - covered, {}, false});
    for (const DayCell& cell : cells) layout.programmeCount += cell.programmes.empty() ? 0 : 1;
  }
  return layout;
}

}  // namespace kanro::sources
