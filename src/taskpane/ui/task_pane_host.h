#pragma once
// What the task pane asks of the main window: the listing entries behind the
// listing selector, showing one listing day, scrolling the page on screen to
// a keyword hit, and running the other task commands. The window implements
// it; tests use a stand-in.
#include <cstddef>
#include <string>
#include <vector>

namespace kanro::taskpane {

class TaskPaneHost {
 public:
  virtual ~TaskPaneHost() = default;

  // A task command the pane does not act on itself: 31003 (ranking reload),
  // 31011 (keyword edit), 31012 (keyword search).
  virtual void OnTaskCommand(unsigned id) = 0;
  // The listing entries ("08GooTv") in the listing selector's order.
  virtual const std::vector<std::string>& ListingEntries() const = 0;
  // Selects entry index in the listing selector without that showing a page
  // of its own, makes date ("YYYYMMDD") the current date and has the view
  // show that day (1129). False when the view did not take that data page
  // (it does not exist, or nothing can be shown yet).
  virtual bool ShowListingDay(size_t entryIndex, const std::string& date) = 0;
  // Message 1128 to the view: scroll to the cell of this keyword hit.
  virtual void ScrollToCell(int hitNumber) = 0;
  // Shows today's page of the entry (when it is not on screen) and scrolls
  // to the programme with this watch ID.
  virtual void ShowProgramme(const std::string& entry, const std::string& date, const std::string& watchId) = 0;
};

}  // namespace kanro::taskpane
