#pragma once
// The main window: menu bar, the four tool bars, status bar, caption bar,
// task pane dock and the listing view. Every command is one QAction built from
// the command table and shared by menus and tool bars; commands go to the
// view, the download orchestration or the window's own handlers.
#include <QMainWindow>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frame/ui/customize_dialog.h"
#include "frame/command_table.h"
#include "frame/ui/orchestrator_host.h"
#include "taskpane/ui/task_pane_host.h"
#include "view/day_state.h"
#include "view/view_host.h"

class QAction;
class QActionGroup;
class QComboBox;
class QDateEdit;
class QDockWidget;
class QLabel;
class QMenu;
class QProgressBar;
class QToolBar;
class QToolButton;

namespace kanro::taskpane {
class CTaskPane;
}
namespace kanro::view {
class CKanroView;
}

namespace kanro::frame {

class CCaptionBar;
class CDownloadOrchestrator;

struct MainFrameOptions {
  bool unattended = false;  // "/d": started minimised for a download at once
  bool demo = false;        // the built-in demo: marked in the caption bar
};

class CMainFrame : public QMainWindow,
                   public view::ViewHost,
                   public OrchestratorHost,
                   public taskpane::TaskPaneHost {
  Q_OBJECT

 public:
  explicit CMainFrame(const MainFrameOptions& options = {}, QWidget* parent = nullptr);
  ~CMainFrame() override;

  // The view's first update; call once the window is shown (or minimised).
  void OnInitialUpdate();

  // Runs a command as the menu, a tool bar or an accelerator would.
  void OnCommand(unsigned id);
  // Recomputes the enable and check states of every command.
  void UpdateCommandStates();

  // Listing selector.
  void FillListingSelector();
  int SelectorIndex() const;
  void SelectIndex(int index);  // -1 clears the selection
  const std::vector<std::string>& Entries() const { return m_entries; }

  void SetWeek(unsigned id);

  // The user brought the window back (from a later start or the window manager).
  void UserRestoredWindow();
  // Started with "/d" and not restored by the user since (also read by a
  // worker's warning).
  bool Unattended() const;
  // Exit status asked for by the close after an unattended run (0 otherwise).
  int ExitCode() const { return m_exitCode; }

  // The day on screen, the week of the day buttons and the selected listing.
  const view::DayState& Days() const { return m_dayState; }
  std::string GetSelectedEntry() const { return m_dayState.Entry(); }
  const std::map<unsigned, std::string>& DateMap() const { return m_dayState.DateMap(); }

  // view::ViewHost
  void SetPickerDate(int year, int month, int day) override;
  void SetListingTimeText(const QString& text) override;
  void SetWindowCaption(const QString& text) override;
  void SendFrameCommand(unsigned id) override;
  const std::vector<std::string>& Keywords() const override { return m_keywords; }
  void ShowPageKeywords(const std::map<int, std::string>& hits, const std::filesystem::path& page,
                        const std::map<int, view::PageHitText>& texts) override;
  void SetStatusText(const QString& text) override;  // also OrchestratorHost
  void SetCaptionText(const QString& text) override;  // also OrchestratorHost

  // OrchestratorHost
  void SetProgress(int position, int range) override;
  void OnPageWritten(const std::string& pageName) override;
  void SearchKeywords() override;
  void ApplyWatchRules() override;
  void ShowRanking(const std::string& file) override;
  void ShowVersionResult(const std::string& file) override;
  void ShowChainTasks() override;
  void HideRankingTask() override;
  bool IsMinimizedForAutoClose() const override;
  void CloseAfterUnattendedRun(int exitCode) override;
  void SetCaptionDescription(const QString& text) override;
  void Beep() override;

  // taskpane::TaskPaneHost
  void OnTaskCommand(unsigned id) override { OnCommand(id); }
  const std::vector<std::string>& ListingEntries() const override { return m_entries; }
  bool ShowListingDay(size_t entryIndex, const std::string& date) override;
  void ScrollToCell(int hitNumber) override;
  void ShowProgramme(const std::string& entry, const std::string& date, const std::string& watchId) override;

  // The commands of the window (public for tests).
  void OnCheckVersion();
  void OnSettings();
  void OnEditKeywords();
  void OnResetProgram();
  void OnEditCss();
  enum class ExportKind { Xmltv, ICalendar };
  // Writes the downloaded listings (XMLTV) or the watch marks (iCalendar)
  // to a file the user chooses.
  void OnExport(ExportKind kind);
  void OnHomePage();
  void OnCustomize();
  void OnAbout();
  void SetApplicationLook(int look);
  int ApplicationLook() const { return m_nAppLook; }

  // Parts, for tests and the start-up code.
  QAction* Action(unsigned id) const;
  QToolBar* ToolBar(unsigned id) const;
  // This bar's own entry of a button (its visibility is the button's in that bar).
  QAction* ToolBarEntry(unsigned barId, unsigned id) const;
  QComboBox* ListingSelector() const { return m_selector; }
  QDateEdit* DatePicker() const { return m_datePicker; }
  QToolButton* DownloadSplitButton() const { return m_splitButton; }
  CCaptionBar* CaptionBar() const { return m_captionBar; }
  QDockWidget* TaskPaneDock() const { return m_taskDock; }
  taskpane::CTaskPane* TaskPane() const { return m_taskPane; }
  view::CKanroView* View() const { return m_view; }
  CDownloadOrchestrator* Orchestrator() const { return m_orchestrator.get(); }
  QLabel* StatusPane(int pane) const;
  QProgressBar* ProgressPane() const { return m_progress; }

  // Puts a tool bar back to its default buttons.
  void ResetToolBar(unsigned barId);

 Q_SIGNALS:
  // The window's version result was evaluated (tests wait for it).
  void versionResultShown();
  void statusTextChanged(const QString& text);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  QMenu* createPopupMenu() override;

 private:
  void CreateActions();
  void CreateMenus();
  QMenu* BuildMenu(const std::string& caption, const std::vector<MenuItem>& items, QWidget* parent);
  void CreateToolBars();
  void CreateStatusBar();
  void CreateCaptionBarAndView();
  void CreateTaskPane();
  void ApplyToolBarDefaults(unsigned barId);
  void RestoreLayout();
  // A first start's size from the screen, wide enough for the date bar; day
  // buttons without images where they would not fit beside them.
  void FitLayoutToScreen();
  void SaveLayout();
  void SaveSelectorIndex();
  void SaveToolBarButtons(unsigned barId);
  void RestoreToolBarButtons(unsigned barId);
  void RunReset(bool withPages);
  void OnReadyToClose();
  void SizePaneToText(QLabel* pane);
  void OnDayStateChanged(unsigned changes);
  // The entry the listing selector shows ("" for none).
  std::string SelectedEntry() const;
  void OnDatePicked();
  int ShowMessage(const QString& text, int buttons, int icon);

  MainFrameOptions m_options;
  // First, so that everything built after it can follow it.
  view::DayState m_dayState;
  std::vector<std::string> m_keywords;
  std::vector<std::string> m_entries;
  int m_nAppLook = 214;

  std::map<unsigned, QAction*> m_actions;
  QActionGroup* m_lookGroup = nullptr;
  std::map<unsigned, QToolBar*> m_toolBars;
  std::map<unsigned, std::vector<std::pair<unsigned, QAction*>>> m_barEntries;
  QMenu* m_toolbarMenu = nullptr;
  QMenu* m_downloadDropMenu = nullptr;
  QComboBox* m_selector = nullptr;
  QDateEdit* m_datePicker = nullptr;
  QToolButton* m_splitButton = nullptr;
  QLabel* m_statusText = nullptr;
  QProgressBar* m_progress = nullptr;
  QLabel* m_listingTime = nullptr;
  CCaptionBar* m_captionBar = nullptr;
  QDockWidget* m_taskDock = nullptr;
  taskpane::CTaskPane* m_taskPane = nullptr;
  view::CKanroView* m_view = nullptr;
  std::unique_ptr<CDownloadOrchestrator> m_orchestrator;

  bool m_bInitialUpdateDone = false;
  bool m_bGeometryRestored = false;
  std::atomic<bool> m_bUserRestored{false};  // also read by a worker's warning
  bool m_bRecreated = false;  // a native window was made; its state change is not the user's
  // How the window is on its way out: a close or a reset waits for the
  // worker to end; after a reset nothing of the session is saved.
  enum class EndState {
    Open,
    CloseWaiting,            // close asked while a worker ends
    ResetWaitingWithPages,   // reset asked, pages to be removed too
    ResetWaitingKeepPages,   // reset asked, pages kept
    ResetDone,               // settings and files removed; closing
    Closed,
    ClosedAfterReset,
  };
  EndState m_end = EndState::Open;
  int m_exitCode = 0;
};

}  // namespace kanro::frame
