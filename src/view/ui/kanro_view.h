#pragma once
// The listing view: the frameset index.htm in a Qt WebEngine view, with the
// header page of the selected listing in frame "head" and one day's data page
// in frame "data". It shows the day of the window's day state whenever its
// listing or date changes (day and hour commands, the date picker, the
// listing selector, a task-pane result, the current listing), sets the window
// caption and the "Update on " text, and offers print preview and find in
// page. The decisions are plain functions in kanro_core; this class applies
// them to the page.
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "view/command_state.h"
#include "view/day_state.h"
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
  // The view follows days for its whole life.
  CKanroView(ViewHost& host, DayState& days, QWidget* parent = nullptr);
  ~CKanroView() override;

  // Once, after the window has been built: may open the settings sheet
  // (31004), shows this week, runs the keyword search (31012), then either
  // requests the unattended download (32001) or loads index.htm.
  void OnInitialUpdate();

  // The view's commands (the table's owner "view"): 31006, 31007, 31015,
  // 31018, 59500-59523 and 60000-60020.
  void OnCommand(unsigned id);
  // Day buttons 60000-60020: enabled when the page exists, checked when it is
  // the day on screen. Other ids: enabled, unchecked.
  CommandState OnUpdateCommand(unsigned id) const;

  // Shows the day on screen again (its page was written anew).
  void ShowDay();
  // Scrolls the data page to the keyword hit with this cell number.
  void ScrollToCell(int cellNumber);
  // Scrolls the data page to the programme with this watch ID.
  void ScrollToProgramme(const std::string& watchId);
  // The messages 1127 (UM_REFRESHDAYS), 1128 (UM_SCROLLTOCELL) and 1129
  // (UM_SHOWDAY) as calls of the above, handled synchronously.
  intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);

  // Normal refresh of the pages shown (after the settings sheet or the keyword
  // dialog); marks and highlighting are applied again when the data page has
  // reloaded.
  void Reload();

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
  void OnDayStateChanged(unsigned changes);
  void OnPrintPreview();
  void OnFindInPage();
  void OnRedisplay();
  void OnShowNow();
  void OnHourCommand(unsigned id);
  void OnDayCommand(unsigned id);

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
  bool HighlightKeywords(std::vector<PageCell>& cells, std::map<int, std::string>* hits,
                         std::map<int, PageHitText>* texts) const;
  // A print copy of the data page gets the watch marks the screen shows.
  void MarkPrintCopy(QWebEnginePage* copy, const std::filesystem::path& page);
  bool WorkerRunning() const;

  class Impl;
  ViewHost& m_host;
  DayState& m_days;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace kanro::view
