#pragma once
// What the listing view asks of the main window: the texts it shows (status
// panes, caption, caption bar), the date picker, the keyword list, and the
// commands the window carries out itself. The day on screen is not here: the
// view reads and changes the window's day state (view/day_state.h). The
// window implements this; the view holds a reference for its whole life.
#include <QString>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "view/page_hit_text.h"

namespace kanro::view {

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // The date picker (command 31002) shows the day on screen.
  virtual void SetPickerDate(int year, int month, int day) = 0;

  // Status bar pane 3 ("Update on ...").
  virtual void SetListingTimeText(const QString& text) = 0;
  // The main window's caption; text from the page, shown as plain text.
  virtual void SetWindowCaption(const QString& text) = 0;

  // A command the window carries out, run synchronously: 31004 (settings),
  // 31012 (keyword search), 32001 (download).
  virtual void SendFrameCommand(unsigned id) = 0;

  // The window's keyword list (CP932 regular expressions), which the
  // highlighting of each shown data page uses.
  virtual const std::vector<std::string>& Keywords() const = 0;
  // The keyword hits of the data page at page (cell number -> matched text,
  // CP932), for the task pane; also when there are none. texts: how each hit
  // is listed (start, channel, title) and its whole cell text.
  virtual void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                                const std::map<int, PageHitText>& texts) = 0;
  // The caption bar's text: the summary of today's marked programmes.
  virtual void SetCaptionText(const QString& text) = 0;
  // Status bar pane 1, e.g. when a watch mark could not be stored.
  virtual void SetStatusText(const QString& text) = 0;
};

}  // namespace kanro::view
