#include "view/week_model.h"

#include <array>
#include <cstdio>
#include <ctime>

#include "app/command_ids.h"

namespace kanro::view {

using namespace app::command;

// Howard Hinnant's civil-date algorithms.
int64_t DaysFromCivil(const LocalDate& date) {
  int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t m = date.month;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

LocalDate CivilFromDays(int64_t days) {
  days += 719468;
  int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  int64_t doe = days - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);
  return LocalDate{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

int Weekday(const LocalDate& date) {
  int64_t days = DaysFromCivil(date);
  // 1970-01-01 was a Thursday.
  return static_cast<int>(((days % 7) + 11) % 7);
}

bool LocalDateOf(int64_t time, LocalDate* date) {
  std::time_t t = static_cast<std::time_t>(time);
  std::tm parts{};
  if (localtime_r(&t, &parts) == nullptr) return false;
  *date = LocalDate{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
  return true;
}

const char* WeekdaySuffix(int weekday) {
  static constexpr std::array<const char*, 7> suffixes = {"(日)", "(月)", "(火)", "(水)",
                                                          "(木)", "(金)", "(土)"};
  return weekday >= 0 && weekday < 7 ? suffixes[static_cast<size_t>(weekday)] : "";
}

std::string WatchPlanDescription(int64_t listingTime) {
  LocalDate date;
  char buffer[64];
  if (!LocalDateOf(listingTime, &date)) return "0/0の視聴予定";
  std::snprintf(buffer, sizeof buffer, "%d/%d%sの視聴予定", date.month, date.day, WeekdaySuffix(Weekday(date)));
  return buffer;
}

void WeekModel::SetWeek(unsigned id, int64_t listingTime) {
  if (set_ && id == ID_LAST_WEEK) {
    firstDay_ -= 7;
  } else if (set_ && id == ID_NEXT_WEEK) {
    firstDay_ += 7;
  } else {
    LocalDate today;
    if (!LocalDateOf(listingTime, &today)) today = LocalDate{};
    int64_t days = DaysFromCivil(today);
    firstDay_ = days - Weekday(today) - 7;
    set_ = true;
    if (id == ID_LAST_WEEK) firstDay_ -= 7;
    if (id == ID_NEXT_WEEK) firstDay_ += 7;
  }
}

std::vector<DayButton> WeekModel::Buttons() const {
  std::vector<DayButton> buttons;
  for (unsigned i = 0; i <= ID_DAY_LAST - ID_DAY_FIRST; ++i) {
    LocalDate date = CivilFromDays(firstDay_ + i);
    char dateText[16];
    char label[32];
    std::snprintf(dateText, sizeof dateText, "%04d%02d%02d", date.year, date.month, date.day);
    std::snprintf(label, sizeof label, "%02d/%02d%s", date.month, date.day, WeekdaySuffix(Weekday(date)));
    buttons.push_back(DayButton{ID_DAY_FIRST + i, dateText, label});
  }
  return buttons;
}

std::map<unsigned, std::string> WeekModel::DateMap() const {
  std::map<unsigned, std::string> map;
  for (const DayButton& button : Buttons()) map[button.id] = button.date;
  return map;
}

}  // namespace kanro::view
