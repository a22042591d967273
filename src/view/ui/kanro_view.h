#pragma once
// The listing view: the frameset index.htm in a Qt WebEngine view, with the
// header page of the selected listing in frame "head" and one day's data page
// in frame "data". It decides which pages are shown and when (start-up, day,
// hour, date picker, listing selector, current listing, re-display), sets the
// window caption and the "Update on " text, and offers print preview and find
// in page. The decisions are plain functions in kanro_core; this class applies
// them to the page.
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "view/command_state.h"
#include "view/page_cells.h"
#include "view/view_host.h"

class QPrinter;
class QUrl;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;

namespace kanro::view {

class CFindBar;
class CWatchController;
struct FrameReport;

class CKanroView : public QWidget {
  Q_OBJECT

 public:
  explicit CKanroView(ViewHost& host, QWidget* parent = nullptr);
  ~CKanroView() override;

  // Once, after the window has been built: may open the settings sheet
  // (31004), shows this week (60122), runs the keyword search (31012), then
  // either requests the unattended download (32001) or loads index.htm.
  void OnInitialUpdate();

  // True for the commands the view handles: 31001, 31002, 31006, 31007,
  // 31015, 31018, 59500-59523 and 60000-60020.
  static bool HandlesCommand(unsigned id);
  void OnCommand(unsigned id);
  // Day buttons 60000-60020: enabled when the page exists, checked when it is
  // the day on screen. Other ids: enabled, unchecked.
  CommandState OnUpdateCommand(unsigned id) const;

  // Messages 1127 (UM_REFRESHDAYS), 1128 (UM_SCROLLTOCELL) and 1129
  // (UM_SHOWDAY), handled synchronously.
  intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

  // Normal refresh of the pages shown (after the settings sheet or the keyword
  // dialog); marks and highlighting are applied again when the data page has
  // reloaded.
  void Reload();

  // Day command id -> 1 when the selected listing has a page for that day.
  const std::map<unsigned, int>& DayAvailability() const { return m_dayAvailable; }

  // The embedded browser, for tests and for the window's focus handling.
  QWebEngineView* WebView() const;

  // A download started (any command): the automatic download at start is
  // no longer pending.
  void OnDownloadStarted();

  // The data page on screen (the document's path name), empty before the
  // first day is shown.
  const std::filesystem::path& DocumentPath() const;
  // True once index.htm has loaded in the view.
  bool IsFramesetLoaded() const;
  // Prints the whole data page on screen to the printer; false when there is
  // none or printing failed. The print preview uses it; tests print to PDF.
  bool PrintDataPage(QPrinter& printer);
  // The find bar of 31007.
  CFindBar* FindBar() const;
  // The watch marks and start alerts of the pages shown.
  CWatchController* WatchController() const;

 Q_SIGNALS:
  // A data page finished loading (not an anchor jump) and its marks were applied.
  void dataPageShown(const QString& localPath);
  // A pass of marks (watch marks, and after a load the keyword marks too)
  // reached the data page on screen.
  void marksApplied();

 private:
  void OnListingSelected();
  void OnDatePicked();
  void OnPrintPreview();
  void OnFindInPage();
  void OnRedisplay();
  void OnShowNow();
  void OnHourCommand(unsigned id);
  void OnDayCommand(unsigned id);
  void RefreshDayAvailability();
  void ScrollToCell(uintptr_t wParam, intptr_t lParam);
  void ShowCurrentDay();

  void LoadFrameset();
  void OnLoadStarted();
  void OnLoadFinished(bool ok);
  void OnFrameReport(const FrameReport& report);
  void OnDataPageLoaded(const FrameReport& report);
  void JumpToAnchor(const std::string& name);
  void OnWatchLink(const QUrl& url);
  void LoadInHiddenFrame(const QUrl& url);

  // The marks of the data page on screen are decided on its collected cells
  // and applied in one call. Passes run one at a time, so two passes never
  // decide on the same old state; requests made meanwhile are merged into
  // the next pass.
  enum class MarkPass { WatchOnly, WatchAndKeywords };
  void RequestMarkPass(MarkPass pass, std::function<void()> done = {});
  void RunNextMarkPass();
  // The watch marks of the page (and on screen, today's summary and alerts).
  void ApplyWatchMarks(std::vector<PageCell>& cells, const std::filesystem::path& page, bool onScreen);
  // The keyword marks: class " keyword" and the cell number as id. False
  // when the keyword list is empty (nothing changes, no hits are handed on).
  bool HighlightKeywords(std::vector<PageCell>& cells, std::map<int, std::string>* hits) const;
  // A print copy of the data page gets the watch marks the screen shows.
  void MarkPrintCopy(QWebEnginePage* copy, const std::filesystem::path& page);
  bool WorkerRunning() const;

  class Impl;
  ViewHost& m_host;
  std::map<unsigned, int> m_dayAvailable;
  Impl* m_impl = nullptr;
};

}  // namespace kanro::view
