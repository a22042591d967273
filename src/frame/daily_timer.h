#pragma once
// The daily timer of the main window: due at every start of a listing day,
// 04:55 local time, computed on local dates so that a day with a daylight-
// saving change is neither skipped nor counted twice. The window checks it
// against the wall clock often, which also catches up after a suspend or a
// clock change.
#include <cstdint>
#include <string>

namespace kanro::frame {

// The first 04:55 local time strictly after now (-1 when the local time
// cannot be formed).
int64_t NextListingDayStart(int64_t now);

// The caption bar's image description "%d/%d%sの視聴予定" for the listing day
// of listingTime: month, day and weekday suffix "(日)" ... "(土)" (the suffix
// is empty when the date cannot be broken down). CP932.
std::string CaptionDescription(int64_t listingTime);

class CDailyTimer {
 public:
  // Arms the timer for the next start of a listing day after now.
  void Arm(int64_t now);
  // True once when now has reached the due time; the timer is then armed
  // again for the next start of a listing day after now.
  bool Check(int64_t now);
  // The time the timer is due (-1 when not armed).
  int64_t Due() const { return m_due; }
  // Seconds from now to the due time, at least 0 (0 when not armed).
  int64_t SecondsLeft(int64_t now) const;

 private:
  int64_t m_due = -1;
};

}  // namespace kanro::frame
