#pragma once
// The one table of the window's commands and the menus and tool bars built
// from it. Plain data (UTF-8 texts): the window turns each command into one
// QAction, shared by every menu and tool bar that shows it.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::frame {

// Command ids the window handles itself or routes elsewhere.
enum CommandId : unsigned {
  ID_LOOK_FIRST = 210,
  ID_LOOK_LAST = 218,
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

// Image strips of the tool bars (16 px / 32 px ids as the window knows them).
enum ImageStrip : unsigned {
  STRIP_NONE = 0,
  STRIP_STANDARD = 320,  // 32 px: 317
  STRIP_TIME = 314,      // 32 px: 318
  STRIP_DATE = 316,      // 32 px: 319
  STRIP_DOWNLOAD = 321,  // 32 px: 322
  STRIP_MENU = 315,      // menu images only
};

struct CommandInfo {
  unsigned id = 0;
  std::string caption;   // menu caption with its "&" mnemonic, without shortcut
  std::string shortcut;  // key sequence in portable form ("Ctrl+D"), or ""
  std::string prompt;    // status-bar prompt
  std::string toolTip;
  ImageStrip strip = STRIP_NONE;  // where the command's image is drawn
  int image = -1;                 // position in that strip
};

// Every command, ordered by id.
const std::vector<CommandInfo>& CommandTable();
// Null for an id the table does not know.
const CommandInfo* FindCommand(unsigned id);

struct MenuItem {
  enum class Kind { Command, Separator, Popup };
  Kind kind = Kind::Command;
  unsigned id = 0;          // Command
  std::string caption;      // as the menu shows it: mnemonic and "\t" shortcut
  std::vector<MenuItem> items;  // Popup
};

// The menu bar (MENU 128): one Popup per top-level menu.
const std::vector<MenuItem>& MainMenu();
// The drop-down of the split download button (MENU 312).
const std::vector<MenuItem>& DownloadDropMenu();

struct Accelerator {
  std::string keys;
  unsigned id;
};
const std::vector<Accelerator>& Accelerators();

// A tool bar: id, caption, image strip and buttons in order (0 = separator).
struct ToolBarInfo {
  unsigned id;
  std::string objectName;  // stable name for the saved layout
  std::string caption;
  ImageStrip strip;
  std::vector<unsigned> buttons;
  bool textBesideImage;    // date and download bars
  bool visibleByDefault;
};
const std::vector<ToolBarInfo>& ToolBars();
const ToolBarInfo* FindToolBar(unsigned id);

// Whether a button of a tool bar shows in the bar's default state: nine hour
// buttons, no last-week day buttons, everything else.
bool ButtonVisibleByDefault(unsigned bar, unsigned button);
// The button text of the download bar's buttons ("" for other commands).
std::string DownloadBarText(unsigned id);

// Helpers for the id ranges.
inline bool IsDayCommand(unsigned id) { return id >= ID_DAY_FIRST && id <= ID_DAY_LAST; }
inline bool IsHourCommand(unsigned id) { return id >= ID_HOUR_FIRST && id <= ID_HOUR_LAST; }
inline bool IsLookCommand(unsigned id) { return id >= ID_LOOK_FIRST && id <= ID_LOOK_LAST; }
inline bool IsDownloadCommand(unsigned id) { return id >= ID_DOWNLOAD && id <= ID_REDOWNLOAD_HEADERS; }

}  // namespace kanro::frame
