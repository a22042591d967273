#include "view/day_navigation.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

#include "app/clock.h"
#include "app/command_ids.h"
#include "app/listing_time.h"
#include "app/paths.h"

namespace kanro::view {

namespace fs = std::filesystem;

std::string HourAnchor(unsigned hourCommand) {
  if (hourCommand < app::command::ID_HOUR_FIRST || hourCommand > app::command::ID_HOUR_LAST) return {};
  const int hour = static_cast<int>(hourCommand - app::command::ID_HOUR_FIRST);
  // The anchors the converters write are not the hour itself; this mapping
  // matches the rows of their pages.
  if (hour == 0) return "23";
  if (hour == 4) return "4";
  if (hour == 5 || hour == 6) return "top";
  return std::to_string(hour - 1);
}

unsigned CurrentHourCommand() {
  const app::LocalDate now = app::ToLocalDate(app::Now());
  return app::command::ID_HOUR_FIRST + static_cast<unsigned>(now.hour);
}

unsigned CurrentListingDayCommand() {
  const app::LocalDate date = app::ToLocalDate(app::GetListingTime());
  if (date.year == 0) return app::command::ID_DAY_FIRST + 6;
  return app::command::ID_DAY_FIRST + 7 + static_cast<unsigned>(date.weekday);
}

bool IsShowablePage(const fs::path& page) {
  std::error_code error;
  if (!fs::is_regular_file(page, error)) return false;
  const auto size = fs::file_size(page, error);
  return !error && size > 0;
}

std::map<unsigned, int> ComputeDayAvailability(const std::map<unsigned, std::string>& dateMap,
                                               const std::string& entry) {
  std::map<unsigned, int> availability;
  for (const auto& [id, date] : dateMap) {
    const bool exists = !entry.empty() && !date.empty() &&
                        IsShowablePage(app::DataFolder() / (date + entry + ".htm"));
    availability[id] = exists ? 1 : 0;
  }
  return availability;
}

CommandState DayCommandState(unsigned id, const std::map<unsigned, int>& availability,
                             const std::map<unsigned, std::string>& dateMap, const std::string& currentDate) {
  CommandState state;
  const auto available = availability.find(id);
  state.enabled = available != availability.end() && available->second != 0;
  if (id >= app::command::ID_DAY_FIRST && id <= app::command::ID_DAY_LAST && state.enabled) {
    const auto date = dateMap.find(id);
    state.checked = date != dateMap.end() && !currentDate.empty() && date->second == currentDate;
  }
  return state;
}

bool ParseDate8(const std::string& date8, int* year, int* month, int* day) {
  if (date8.size() != 8) return false;
  for (char c : date8)
    if (c < '0' || c > '9') return false;
  const int y = std::stoi(date8.substr(0, 4));
  const int m = std::stoi(date8.substr(4, 2));
  const int d = std::stoi(date8.substr(6, 2));
  const int64_t time = app::FromLocalDate(y, m, d, 12, 0, 0);
  if (time < 0) return false;
  // mktime normalises 31 April to 1 May: only a date that round-trips is real.
  const app::LocalDate check = app::ToLocalDate(time);
  if (check.year != y || check.month != m || check.day != d) return false;
  *year = y;
  *month = m;
  *day = d;
  return true;
}

std::string FormatDate8(int year, int month, int day) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", year, month, day);
  return buffer;
}

std::string WindowCaption(const std::string& title) { return title + " - Kanro"; }

std::string ListingTimeText(const fs::path& dataPage) {
  std::ifstream file(dataPage, std::ios::binary);
  if (!file) return {};
  std::error_code error;
  const fs::file_time_type written = fs::last_write_time(dataPage, error);
  if (error) return {};
  const auto system = std::chrono::file_clock::to_sys(written);
  const std::time_t time = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(system));
  std::tm fields{};
  if (localtime_r(&time, &fields) == nullptr) return {};
  char buffer[64];
  if (std::strftime(buffer, sizeof buffer, "%m/%d %H:%M:%S", &fields) == 0) return {};
  return std::string("Update on ") + buffer;
}

}  // namespace kanro::view
