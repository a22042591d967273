#pragma once
// The one table of the window's commands and the menus and tool bars built
// from it. Plain data (UTF-8 texts): the window turns each command into one
// QAction, shared by every menu and tool bar that shows it.
#include <string>
#include <string_view>
#include <vector>

#include "app/command_ids.h"

namespace kanro::frame {

using namespace app::command;


// Image strips of the tool bars (16 px / 32 px ids as the window knows them).
enum ImageStrip : unsigned {
  STRIP_NONE = 0,
  STRIP_STANDARD = 320,  // 32 px: 317
  STRIP_TIME = 314,      // 32 px: 318
  STRIP_DATE = 316,      // 32 px: 319
  STRIP_DOWNLOAD = 321,  // 32 px: 322
  STRIP_MENU = 315,      // menu images only
};

// Who carries a command out when the window receives it.
enum class CommandOwner { Frame, View, Orchestrator, TaskPane };

struct CommandInfo {
  unsigned id = 0;
  std::string caption;   // menu caption with its "&" mnemonic, without shortcut
  std::string shortcut;  // key sequence in portable form ("Ctrl+D"), or ""
  std::string prompt;    // status-bar prompt
  std::string toolTip;
  ImageStrip strip = STRIP_NONE;  // where the command's image is drawn
  int image = -1;                 // position in that strip
  bool checkable = false;         // shows a check (a state, a bar shown)
  CommandOwner owner = CommandOwner::Frame;
};

// Every command, ordered by id.
const std::vector<CommandInfo>& CommandTable();
// Null for an id the table does not know.
const CommandInfo* FindCommand(unsigned id);
// The owner of a command; the window's own for ids the table does not know.
CommandOwner OwnerOf(unsigned id);

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


}  // namespace kanro::frame
