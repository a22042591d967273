#include "view/day_state.h"

#include "view/current_date.h"
#include "view/day_navigation.h"

namespace kanro::view {
namespace {

DayState*& Active() {
  static DayState* active = nullptr;
  return active;
}

}  // namespace

const std::string& CurrentDate() {
  static const std::string none;
  return Active() ? Active()->Date() : none;
}

DayState::DayState() : m_previous(Active()) { Active() = this; }

DayState::~DayState() {
  if (Active() == this) Active() = m_previous;
}

void DayState::Observe(Observer observer) { m_observers.push_back(std::move(observer)); }

void DayState::Notify(unsigned changes) {
  for (const Observer& observer : m_observers) observer(changes);
}

void DayState::ReadAvailability() { m_available = ComputeDayAvailability(m_dateMap, m_entry); }

void DayState::SetWeek(unsigned weekCommand, int64_t listingTime) {
  m_week.SetWeek(weekCommand, listingTime);
  m_dateMap = m_week.DateMap();
  ReadAvailability();
  Notify(kWeek | kAvailability);
}

void DayState::SetEntry(const std::string& entry) {
  m_entry = entry;
  ReadAvailability();
  Notify(kEntry | kAvailability);
}

void DayState::SetDate(const std::string& date8) {
  m_date = date8;
  Notify(kDate);
}

void DayState::ShowDay(const std::string& entry, const std::string& date8, int64_t listingTime) {
  unsigned changes = kEntry | kDate | kAvailability;
  m_entry = entry;
  m_date = date8;
  if (ButtonOf(date8) == 0) {
    m_week.SetWeek(0, listingTime);
    m_dateMap = m_week.DateMap();
    changes |= kWeek;
  }
  ReadAvailability();
  Notify(changes);
}

void DayState::RefreshAvailability() {
  ReadAvailability();
  Notify(kAvailability);
}

bool DayState::IsAvailable(unsigned dayCommand) const {
  const auto found = m_available.find(dayCommand);
  return found != m_available.end() && found->second != 0;
}

std::string DayState::DateOf(unsigned dayCommand) const {
  const auto found = m_dateMap.find(dayCommand);
  return found == m_dateMap.end() ? std::string() : found->second;
}

unsigned DayState::ButtonOf(const std::string& date8) const {
  for (const auto& [id, date] : m_dateMap)
    if (date == date8) return id;
  return 0;
}

CommandState DayState::DayCommandState(unsigned dayCommand) const {
  return view::DayCommandState(dayCommand, m_available, m_dateMap, m_date);
}

}  // namespace kanro::view
