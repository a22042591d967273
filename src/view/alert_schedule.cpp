#include "view/alert_schedule.h"

namespace kanro::view {

void AlertSchedule::Rebuild(std::vector<WatchAlert> alerts) { m_pending = std::move(alerts); }

std::vector<WatchAlert> AlertSchedule::TakeDue(int64_t) { return {}; }

std::optional<int64_t> AlertSchedule::NextDue() const { return std::nullopt; }

}  // namespace kanro::view
