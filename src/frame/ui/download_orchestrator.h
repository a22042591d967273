#pragma once
// The main window's side of all background work: the download commands, the
// chain after a finished run (keyword search, ranking, version check), the
// progress and status display, the daily timer at 04:55, and the close after
// an unattended run. One worker runs at a time, on a thread this object owns.
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "app/messages.h"
#include "frame/daily_timer.h"
#include "frame/task_chain.h"
#include "frame/ui/orchestrator_host.h"
#include "listing/download_thread.h"

namespace kanro::frame {

class CWindowTarget;

class CDownloadOrchestrator : public QObject {
  Q_OBJECT

 public:
  explicit CDownloadOrchestrator(OrchestratorHost& host, QObject* parent = nullptr);
  // Cancels a running worker and waits for it. The worker's sends are
  // answered at once meanwhile; of the window's events only queued calls to
  // the application object (a worker's warning box) are served, since the
  // window may be half destroyed. Close through PrepareClose first.
  ~CDownloadOrchestrator() override;
  CDownloadOrchestrator(const CDownloadOrchestrator&) = delete;
  CDownloadOrchestrator& operator=(const CDownloadOrchestrator&) = delete;

  // 32001 (new pages), 32002 (every page again), 32003 (pages and headers
  // again). While any work runs it is a cancel request instead.
  void OnDownload(unsigned id);
  // The ranking request (31003 and the chain). Refused with a status text,
  // returning false, while a worker runs.
  bool StartRanking();
  // The version check (31021 with userCommand, and the chain). Returns false,
  // doing nothing, while a worker runs.
  bool StartVersionCheck(bool userCommand);
  bool UserVersionCheck() const { return m_bUserVersionCheck; }
  void ClearUserVersionCheck() { m_bUserVersionCheck = false; }
  // The one busy fact of the window: a worker of ours runs (set before its
  // thread starts, cleared when it has ended) or another network worker does.
  // The days one download run fetches, from today's listing day on.
  static int DownloadDays();
  bool IsBusy() const { return m_bWorkerRunning || g_pNetBusy.load() != nullptr; }
  // The "/d" start: the run's end closes the program while the window is
  // still minimised. Applies to the first run result only.
  void SetUnattendedRun(bool on);
  void UserRestoredWindow();
  // True: nothing runs, close now. Otherwise the worker is cancelled, its
  // messages are answered at once and dropped (response files deleted, no
  // chain), and readyToClose() follows when its thread has ended. Either
  // way nothing starts any more.
  bool PrepareClose();
  // Arms the timer for the next 04:55 and sets the caption description now.
  void StartDailyTimer();
  listing::DOWNLOADPARAM& Param() { return m_param; }

  // How often the progress bar is repainted at most (milliseconds).
  static constexpr int kProgressRepaintMs = 100;

 Q_SIGNALS:
  void readyToClose();
  void busyChanged(bool busy);
  // A download run started: an automatic download still pending in the
  // view is no longer wanted.
  void downloadStarted();

 private:
  enum class WorkerKind { Download, Ranking, Version };

  void ShowStatus(const QString& text);

  // The window's handlers of 1124-1126, on the UI thread.
  intptr_t HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam);
  void OnTaskResult(uintptr_t wParam, intptr_t lParam);
  void OnProgress(uintptr_t position, intptr_t range);
  void RepaintProgress();
  void Perform(const ChainActions& actions, const char* file);
  void EndNetworkWork();

  bool StartWorker(WorkerKind kind);
  void OnWorkerEnded();
  void OnDailyTimerCheck();
  void ArmDailyTimerCheck();
  void JoinWorker();

  OrchestratorHost& m_host;
  listing::DOWNLOADPARAM m_param;
  std::unique_ptr<CWindowTarget> m_target;
  std::thread m_worker;
  std::atomic<bool> m_bWorkerDone{true};  // the worker's last statement sets it
  bool m_bWorkerRunning = false;
  bool m_bClosing = false;
  bool m_bDestroying = false;
  bool m_bUserVersionCheck = false;
  bool m_bInWorkerEnded = false;
  // The status text reports an outcome ("…：中止しました", a failure, marks
  // lost), not work in progress: it stays when the work ends, until the next.
  bool m_bStatusIsOutcome = false;
  CTaskChain m_chain;

  // Progress as last announced; painted by m_progressTimer.
  int m_nProgressRange = 0;
  int m_nProgressPosition = 0;
  bool m_bProgressOn = false;
  bool m_bProgressDirty = false;
  QTimer m_progressTimer;

  CDailyTimer m_daily;
  QTimer m_dailyTimer;
};

}  // namespace kanro::frame
