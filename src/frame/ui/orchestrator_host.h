#pragma once
// What the download orchestration asks of the main window: the status bar,
// the day buttons and the view, the task pane's two steps of the chain, the
// version result, and closing the program after an unattended run. Worker
// text (CP932) is turned into QString where it arrives, in the orchestration.
// The busy state is the orchestration's busyChanged signal.
#include <QString>

#include <string>
#include <vector>

namespace kanro::frame {

class OrchestratorHost {
 public:
  virtual ~OrchestratorHost() = default;

  // Status bar pane 1 ("" clears it and gives the pane width 0).
  virtual void SetStatusText(const QString& text) = 0;
  // Status bar pane 2: a range of 0 switches the progress bar off (width 0).
  virtual void SetProgress(int position, int range) = 0;

  // A data page was written: "%04d%02d%02d%02d%s" (date, prefecture, type).
  // The window refreshes the day buttons (1127) and, when the page is the one
  // on screen (CurrentDate + selected entry, byte for byte), shows it again (1129).
  virtual void OnPageWritten(const std::string& pageName) = 0;

  // The chain's steps on the UI thread.
  virtual void SearchKeywords() = 0;                       // task pane, over the selector's entries
  virtual void ApplyWatchRules() = 0;                      // AutoWatch.txt over the downloaded pages
  virtual void ShowRanking(const std::string& file) = 0;   // task pane; deletes the file
  virtual void ShowVersionResult(const std::string& file) = 0;  // commands; deletes the file
  // End of the chain: tasks 31003 and 31012 shown again in the task pane.
  virtual void ShowChainTasks() = 0;
  // Task 31003 hidden while a ranking request runs.
  virtual void HideRankingTask() = 0;

  // True while the window is minimised, or has not been restored by the user
  // since an unattended ("/d") start where the platform never reports it.
  virtual bool IsMinimizedForAutoClose() const = 0;
  // Ends the program after an unattended run, with this exit status.
  virtual void CloseAfterUnattendedRun(int exitCode) = 0;

  // The caption bar: image description and summary text (daily timer).
  virtual void SetCaptionDescription(const QString& text) = 0;
  virtual void SetCaptionText(const QString& text) = 0;

  virtual void Beep() = 0;
};

}  // namespace kanro::frame
