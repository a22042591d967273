#pragma once
// What the listing view asks of the main window: the listing selector, the
// dates of the day buttons, the date picker, the status and caption texts, and
// commands the window handles itself. The window implements it; the view holds
// a reference for its whole life.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kanro::view {

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // The selected listing entry ("08GooTv"), or "" when nothing is selected.
  virtual std::string GetSelectedEntry() const = 0;
  // Day command id (60000-60020) -> "YYYYMMDD" of that button in the week shown.
  virtual const std::map<unsigned, std::string>& DateMap() const = 0;

  // The date picker (command 31002).
  virtual void SetPickerDate(int year, int month, int day) = 0;
  // False when the picker holds no date.
  virtual bool GetPickerDate(int* year, int* month, int* day) const = 0;

  // Status bar pane 3 ("Update on ..."). CP932 text.
  virtual void SetListingTimeText(const std::string& text) = 0;
  // The main window's caption. CP932 text from the page: shown as plain text.
  virtual void SetWindowCaption(const std::string& text) = 0;

  // A command handled by the window, run synchronously: 31004 (settings),
  // 31012 (keyword search), 32001 (download), 60122 (this week).
  virtual void SendFrameCommand(unsigned id) = 0;
  // The view's day availability changed: the window recomputes the enable
  // and check states of the day buttons.
  virtual void DayAvailabilityChanged() = 0;

  // The window's keyword list (CP932 regular expressions), which the
  // highlighting of each shown data page uses.
  virtual const std::vector<std::string>& Keywords() const = 0;
  // The keyword hits of the data page at page (cell number -> matched text,
  // CP932), for the task pane; also when there are none.
  virtual void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page) = 0;
  // The caption bar's text: the summary of today's marked programmes (CP932).
  virtual void SetCaptionText(const std::string& text) = 0;
  // Status bar pane 1 (CP932), e.g. when a watch mark could not be stored.
  virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace kanro::view
