#pragma once
// The day on screen and what the day buttons show, in one place: the three
// weeks of the buttons and their dates, which of those dates the selected
// listing has a page for, the selected listing entry and the date shown. The
// main window owns it and changes it on the user's input; the view, the task
// pane and the window's own buttons follow its changes. UI thread only.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "view/command_state.h"
#include "view/week_model.h"

namespace kanro::view {

class DayState {
 public:
  // What a change touched; observers get the union of one call's changes.
  enum Change : unsigned { kWeek = 1, kEntry = 2, kDate = 4, kAvailability = 8 };
  using Observer = std::function<void(unsigned changes)>;

  // The newest day state is the one CurrentDate() reads, while it lives.
  DayState();
  ~DayState();
  DayState(const DayState&) = delete;
  DayState& operator=(const DayState&) = delete;

  // Called after every change, in the order observers were added.
  void Observe(Observer observer);

  // Last, this or next week (60121-60123; any other id: this week) around
  // the listing date of listingTime. Availability follows.
  void SetWeek(unsigned weekCommand, int64_t listingTime);
  // The selected listing ("" for none). Availability follows; observers hear
  // of it even when the entry stays, since choosing it again shows it again.
  void SetEntry(const std::string& entry);
  // The date on screen ("YYYYMMDD", "" for none).
  void SetDate(const std::string& date8);
  // A listing day of an entry at once, as a task-pane result shows it: the
  // entry, this week's buttons when the date is on none shown, the date.
  void ShowDay(const std::string& entry, const std::string& date8, int64_t listingTime);
  // Pages were written or removed: availability is read again.
  void RefreshAvailability();

  const std::map<unsigned, std::string>& DateMap() const { return m_dateMap; }
  std::vector<DayButton> Buttons() const { return m_week.Buttons(); }
  const std::string& Entry() const { return m_entry; }
  const std::string& Date() const { return m_date; }
  // True when the selected listing has a page for the day button's date.
  bool IsAvailable(unsigned dayCommand) const;
  // The date of a day button ("" for none), and the button of a date (0).
  std::string DateOf(unsigned dayCommand) const;
  unsigned ButtonOf(const std::string& date8) const;
  // Enabled when its page exists, checked when it is also the day on screen.
  CommandState DayCommandState(unsigned dayCommand) const;

 private:
  void Notify(unsigned changes);
  void ReadAvailability();

  WeekModel m_week;
  std::map<unsigned, std::string> m_dateMap;
  std::map<unsigned, int> m_available;
  std::string m_entry;
  std::string m_date;
  std::vector<Observer> m_observers;
  DayState* m_previous = nullptr;  // the day state CurrentDate() read before
};

}  // namespace kanro::view
