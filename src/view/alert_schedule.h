#pragma once
// The pending start alerts of today's page, each due at a wall-clock time.
// The view checks it against the clock every few seconds, so an alert due
// while the machine slept fires on waking and a clock change does not shift
// it. Every alert fires once; a rebuild replaces all pending ones.
#include <cstdint>
#include <optional>
#include <vector>

#include "view/watch_marks.h"

namespace kanro::view {

class AlertSchedule {
 public:
  // Forgets every pending alert and keeps these.
  void Rebuild(std::vector<WatchAlert> alerts);
  // The alerts due at now (due <= now), earliest first, removed from the schedule.
  std::vector<WatchAlert> TakeDue(int64_t now);
  // The earliest due time, if any alert is pending.
  std::optional<int64_t> NextDue() const;
  const std::vector<WatchAlert>& Pending() const { return m_pending; }

 private:
  std::vector<WatchAlert> m_pending;  // ordered by due time
};

}  // namespace kanro::view
