#pragma once
// The ids of the window's commands, named once for every part of the program
// that sends or handles them: the window, the view, the task pane and the
// download orchestration. The command table gives each its caption, image
// and owner.
namespace kanro::app::command {

enum CommandId : unsigned {
  ID_LOOK_FIRST = 210,
  ID_LOOK_DARK = 219,  // the dark look, after the nine of 210-218
  ID_LOOK_LAST = 219,
  ID_CAPTION_BAR = 221,
  ID_TASK_PANE = 222,
  ID_CUSTOMIZE = 126,
  ID_LISTING_SELECTOR = 31001,
  ID_DATE_PICKER = 31002,
  ID_RANKING = 31003,
  ID_SETTINGS = 31004,
  ID_RESET_PROGRAM = 31005,
  ID_PRINT_PREVIEW = 31006,
  ID_FIND = 31007,
  ID_EDIT_CSS = 31010,
  ID_EDIT_KEYWORDS = 31011,
  ID_KEYWORD_SEARCH = 31012,
  ID_RANKING_RELOAD = 31013,
  ID_LISTING_TIME = 31014,
  ID_REDISPLAY = 31015,
  ID_TIME_BAR = 31016,
  ID_DATE_BAR = 31017,
  ID_CURRENT_LISTING = 31018,
  ID_DOWNLOAD_BAR = 31019,
  ID_HOME_PAGE = 31020,
  ID_CHECK_VERSION = 31021,
  ID_SHOW_KEYWORDS = 31022,
  ID_SHOW_LISTINGS = 31023,
  ID_EXPORT_XMLTV = 31030,
  ID_EXPORT_ICALENDAR = 31031,
  ID_DOWNLOAD = 32001,
  ID_REDOWNLOAD = 32002,
  ID_REDOWNLOAD_HEADERS = 32003,
  ID_STANDARD_BAR = 320,
  ID_TOOLBAR_PLACEHOLDER = 59392,
  ID_STATUS_BAR = 59393,
  ID_HOUR_FIRST = 59500,  // + hour
  ID_HOUR_LAST = 59523,
  ID_PRINT_SETUP = 57606,
  ID_APP_ABOUT = 57664,
  ID_APP_EXIT = 57665,
  ID_HELP_FINDER = 57667,
  ID_CONTEXT_HELP = 57669,
  ID_HELP = 57670,
  ID_DAY_FIRST = 60000,  // + 7 x week + weekday
  ID_DAY_LAST = 60020,
  ID_LAST_WEEK = 60121,
  ID_THIS_WEEK = 60122,
  ID_NEXT_WEEK = 60123,
};

// The id ranges.
constexpr bool IsDayCommand(unsigned id) { return id >= ID_DAY_FIRST && id <= ID_DAY_LAST; }
constexpr bool IsHourCommand(unsigned id) { return id >= ID_HOUR_FIRST && id <= ID_HOUR_LAST; }
constexpr bool IsLookCommand(unsigned id) { return id >= ID_LOOK_FIRST && id <= ID_LOOK_LAST; }
constexpr bool IsDownloadCommand(unsigned id) { return id >= ID_DOWNLOAD && id <= ID_REDOWNLOAD_HEADERS; }

}  // namespace kanro::app::command
