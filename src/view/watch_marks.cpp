#include "view/watch_marks.h"

#include <limits>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "app/clock.h"
#include "view/cell_text.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "view/watch_list.h"

namespace kanro::view {
namespace {

constexpr std::u32string_view kWatchClass = U" watch";
// A listing day runs from 05:00 (its first hour row) into the small hours of
// the next calendar day.
constexpr int kFirstHourOfDay = 5;

// Leading decimal digits after white space, as atoi reads them; 0 when there
// are none. Saturates instead of overflowing.
template <class CharT>
int64_t LeadingNumber(std::basic_string_view<CharT> text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  int64_t value = 0;
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max() / 10 - 9;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    value = value >= kMax ? kMax : value * 10 + (text[at] - '0');
  return negative ? -value : value;
}

int ClampToInt(int64_t value) {
  if (value > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (value < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(value);
}

// Where the whole word " watch" stands in a class name (followed by a blank
// or the end, so "watchable" is another class), from start on.
size_t FindWatchClass(const std::u32string& className, size_t start = 0) {
  for (size_t at = className.find(kWatchClass, start); at != std::u32string::npos;
       at = className.find(kWatchClass, at + 1)) {
    const size_t end = at + kWatchClass.size();
    if (end == className.size() || className[end] == U' ') return at;
  }
  return std::u32string::npos;
}

// The class with the " watch" mark, or nothing when it carries it already.
std::optional<std::u32string> WithWatchClass(const std::u32string& className) {
  if (FindWatchClass(className) != std::u32string::npos) return std::nullopt;
  return className + std::u32string(kWatchClass);
}

// The class without any " watch" mark, or nothing when it has none.
std::optional<std::u32string> WithoutWatchClass(const std::u32string& className) {
  size_t at = FindWatchClass(className);
  if (at == std::u32string::npos) return std::nullopt;
  std::u32string out = className;
  do {
    out.erase(at, kWatchClass.size());
    at = FindWatchClass(out, at);
  } while (at != std::u32string::npos);
  return out;
}

int DateNumber(const std::string& date) {
  if (!IsWatchListDate(date)) return 0;
  return std::stoi(date);
}

}  // namespace

WatchMarkPass DecideWatchMarks(const std::vector<PageCell>& cells, const WatchMarkRequest& request) {
  WatchMarkPass pass;
  pass.today = request.today;
  const std::set<std::string> numbers = MarkedNumbers(request.keys, request.entry);
  const int pageDate = DateNumber(request.date);
  static const std::string open = text::Utf8ToCp932("【");
  static const std::string close = text::Utf8ToCp932("】");
  std::optional<ProgrammeCellReader> reader;
  std::set<std::string> summed;  // the numbers in the summary so far

  for (size_t index = 0; index < cells.size(); ++index) {
    const PageCell& cell = cells[index];
    // Of the cell's watch IDs that are marked, the first in the set's order
    // decides (a cell normally holds one).
    const std::string* number = nullptr;
    if (!numbers.empty()) {
      ForEachWatchIdInMarkup(cell.markup, [&](std::string_view id) {
        const auto found = numbers.find(std::string(id));
        if (found != numbers.end() && (!number || *found < *number)) number = &*found;
        return true;
      });
    }
    if (!number) {
      if (std::optional<std::u32string> className = WithoutWatchClass(cell.className))
        pass.changes.push_back(CellChange{index, std::move(className), std::nullopt});
      continue;
    }
    if (std::optional<std::u32string> className = WithWatchClass(cell.className))
      pass.changes.push_back(CellChange{index, std::move(className), std::nullopt});
    // Should two cells carry the same programme's link (a cell laying out
    // several others), both are marked, but it is summed up and alerted once.
    if (!request.today || summed.count(*number)) continue;

    if (!reader) reader.emplace();
    const std::optional<CellProgramme> programme = reader->Read(cell.markup);
    if (!programme) continue;
    summed.insert(*number);
    const std::string title = text::WideToCp932(programme->title);
    pass.summary +=
        open + text::WideToCp932(programme->hour) + ":" + text::WideToCp932(programme->minute) + close + title + " ";
    if (!request.alertsOn) continue;
    const int64_t due = AlertDueTime(pageDate, ClampToInt(LeadingNumber(std::u32string_view(programme->hour))),
                                     ClampToInt(LeadingNumber(std::u32string_view(programme->minute))),
                                     request.alertMinute, request.now);
    if (due < 0) continue;
    pass.alerts.push_back(WatchAlert{LeadingNumber(std::string_view(*number)), title, due});
  }
  return pass;
}

int64_t AlertDueTime(int pageDate, int hour, int minute, int alertMinute, int64_t now) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) return -1;
  int year = pageDate / 10000;
  int month = pageDate / 100 % 100;
  int day = pageDate % 100;
  if (hour < kFirstHourOfDay) {
    // The small hours of a listing day are those of the next calendar day.
    const int64_t noon = app::FromLocalDate(year, month, day, 12);
    if (noon < 0) return -1;
    const app::LocalDate next = app::ToLocalDate(noon + 86400);
    year = next.year;
    month = next.month;
    day = next.day;
  }
  const int64_t start = app::FromLocalDate(year, month, day, hour, minute, app::ToLocalDate(now).second);
  if (start < 0) return -1;
  const int64_t due = start - static_cast<int64_t>(alertMinute) * 60;
  return due > now ? due : -1;
}

std::string AlertMessage(const std::string& title, int alertMinute) {
  static const std::string open = text::Utf8ToCp932("【");
  static const std::string rest = text::Utf8ToCp932("】開始 ");
  static const std::string tail = text::Utf8ToCp932(" 分前になりました。");
  return open + title + rest + std::to_string(alertMinute) + tail;
}

}  // namespace kanro::view
