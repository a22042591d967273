#pragma once
// Which day and hour the listing view shows: the day buttons' availability and
// states, the current listing day, the hour anchors of a data page. Plain
// logic; the view applies the results to the page and the window.
#include <filesystem>
#include <map>
#include <string>

#include "view/command_state.h"

namespace kanro::view {

// The anchor of a data page an hour command jumps to ("23" for 00:00, "top"
// for 05:00 and 06:00, "6" for 07:00 ...); empty for ids outside 59500-59523.
std::string HourAnchor(unsigned hourCommand);

// The hour command of the wall clock's local hour now.
unsigned CurrentHourCommand();

// The day command of the current listing day in this week: 60007 + the
// weekday of GetListingTime (Sunday 0), 60006 when the time cannot be
// converted. Between 00:00 and 04:55 this is the previous calendar day.
unsigned CurrentListingDayCommand();

// True when the page file can be shown: a regular file with content.
bool IsShowablePage(const std::filesystem::path& page);

// For every day button of the week shown: 1 when the selected entry has a
// data page for that date, else 0. No entry selected: every day 0.
std::map<unsigned, int> ComputeDayAvailability(const std::map<unsigned, std::string>& dateMap,
                                               const std::string& entry);

// A day button is enabled when its page exists and checked when it is also
// the day on screen.
CommandState DayCommandState(unsigned id, const std::map<unsigned, int>& availability,
                             const std::map<unsigned, std::string>& dateMap, const std::string& currentDate);

// "YYYYMMDD" -> year, month and day; false unless eight digits of a real date.
bool ParseDate8(const std::string& date8, int* year, int* month, int* day);
std::string FormatDate8(int year, int month, int day);

// The window caption of a data page: its title followed by " - Kanro".
std::string WindowCaption(const std::string& title);

// "Update on " and the page's modification time as "%m/%d %H:%M:%S" (local
// time); empty when the page cannot be opened.
std::string ListingTimeText(const std::filesystem::path& dataPage);

}  // namespace kanro::view
