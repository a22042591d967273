#include "frame/daily_timer.h"

#include <array>
#include <cstdio>

#include "app/clock.h"
#include "app/listing_time.h"
#include "text/codepage.h"

namespace kanro::frame {
namespace {

constexpr int kStartHour = 4;
constexpr int kStartMinute = 55;

int64_t ListingDayStartOn(const app::LocalDate& date) {
  return app::FromLocalDate(date.year, date.month, date.day, kStartHour, kStartMinute, 0);
}

}  // namespace

int64_t NextListingDayStart(int64_t now) {
  const app::LocalDate today = app::ToLocalDate(now);
  if (today.year == 0) return -1;
  const int64_t todayStart = ListingDayStartOn(today);
  if (todayStart > now) return todayStart;
  // Tomorrow's date from noon, which is never near a daylight-saving change
  // by more than the hour it shifts.
  const int64_t noon = app::FromLocalDate(today.year, today.month, today.day, 12, 0, 0);
  if (noon < 0) return -1;
  const app::LocalDate tomorrow = app::ToLocalDate(noon + 86400);
  if (tomorrow.year == 0) return -1;
  const int64_t tomorrowStart = ListingDayStartOn(tomorrow);
  return tomorrowStart > now ? tomorrowStart : -1;
}

std::string CaptionDescription(int64_t listingTime) {
  static const std::array<std::string, 7> suffixes = {
      text::Utf8ToCp932("(日)"), text::Utf8ToCp932("(月)"), text::Utf8ToCp932("(火)"),
      text::Utf8ToCp932("(水)"), text::Utf8ToCp932("(木)"), text::Utf8ToCp932("(金)"),
      text::Utf8ToCp932("(土)")};
  static const std::string planned = text::Utf8ToCp932("の視聴予定");
  const app::LocalDate date = app::ToLocalDate(listingTime);
  std::string suffix;
  if (date.year != 0 && date.weekday >= 0 && date.weekday < 7) suffix = suffixes[static_cast<size_t>(date.weekday)];
  char numbers[32];
  std::snprintf(numbers, sizeof numbers, "%d/%d", date.month, date.day);
  return numbers + suffix + planned;
}

void CDailyTimer::Arm(int64_t now) { m_due = NextListingDayStart(now); }

bool CDailyTimer::Check(int64_t now) {
  if (m_due < 0) {
    Arm(now);
    return false;
  }
  if (now < m_due) {
    // A clock set back by more than a day would leave the due time far
    // ahead: re-arm from the wall clock so the next 04:55 is never missed.
    const int64_t next = NextListingDayStart(now);
    if (next >= 0 && next < m_due) m_due = next;
    return false;
  }
  Arm(now);
  return true;
}

int64_t CDailyTimer::SecondsLeft(int64_t now) const {
  if (m_due < 0) return 0;
  return m_due > now ? m_due - now : 0;
}

}  // namespace kanro::frame
