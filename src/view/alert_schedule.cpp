#include "view/alert_schedule.h"

#include <algorithm>

namespace kanro::view {

void AlertSchedule::Rebuild(std::vector<WatchAlert> alerts) {
  // Alerts due together keep the page's order.
  std::stable_sort(alerts.begin(), alerts.end(),
                   [](const WatchAlert& a, const WatchAlert& b) { return a.due < b.due; });
  m_pending = std::move(alerts);
}

std::vector<WatchAlert> AlertSchedule::TakeDue(int64_t now) {
  const auto firstLater =
      std::find_if(m_pending.begin(), m_pending.end(), [now](const WatchAlert& alert) { return alert.due > now; });
  std::vector<WatchAlert> due(std::make_move_iterator(m_pending.begin()), std::make_move_iterator(firstLater));
  m_pending.erase(m_pending.begin(), firstLater);
  return due;
}

std::optional<int64_t> AlertSchedule::NextDue() const {
  if (m_pending.empty()) return std::nullopt;
  return m_pending.front().due;
}

}  // namespace kanro::view
