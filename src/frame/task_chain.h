#pragma once
// The chain that follows a finished download run, as a plain state machine:
// keyword search and the automatic watch rules, then the ranking request when "MaxRank" is not 0, then the
// version check when "CheckVersion" is set, then the end of the network work.
// A failure ends it at once. A next worker starts only after the previous
// worker's thread has ended, so results say what to do now and what to start
// once the worker is gone.
#include <cstdint>

namespace kanro::frame {

// The settings the chain reads where it uses them.
struct ChainSettings {
  int maxRank = 5;            // "Window"/"MaxRank"; 0 or negative: no ranking request
  bool checkVersion = true;   // "Download"/"CheckVersion"
};

// What the window does for one event, in this order.
struct ChainActions {
  bool searchKeywords = false;
  bool applyWatchRules = false;    // after the keyword search: the automatic watch marks
  bool showRanking = false;        // hand the result's file to the task pane
  bool showVersionResult = false;  // hand the result's file to the version verdict
  bool deleteFile = false;         // the result's file is not shown: delete it
  bool clearUserVersionCheck = false;
  bool beep = false;
  bool endNetworkWork = false;     // status cleared, progress off, tasks shown
  bool startRanking = false;       // only ever from WorkerEnded
  bool startVersionCheck = false;  // only ever from WorkerEnded
  bool closeProgram = false;       // the unattended run is over; only from WorkerEnded
  int exitCode = 0;                // with closeProgram

  bool operator==(const ChainActions&) const = default;
};

class CTaskChain {
 public:
  enum class Worker { None, Download, Ranking, Version };

  // The "/d" one-shot: set at start, cleared by the first run result or when
  // the user restores the window.
  void SetUnattended(bool on) { m_bUnattended = on; }
  bool Unattended() const { return m_bUnattended; }

  // A worker of this kind is about to start.
  void WorkerStarted(Worker worker);
  // 1124 with this wParam (other than 1, page written); hasFile: lParam is a
  // file path. minimised: the window still counts as minimised for the
  // unattended close.
  ChainActions OnResult(uintptr_t wParam, bool hasFile, const ChainSettings& settings, bool minimised);
  // The worker's thread has ended: start the next step, or end the chain
  // when the worker ended without any result.
  ChainActions OnWorkerEnded();
  // A cancel request: no further worker starts; the chain ends with the
  // running worker (a result that still arrives is shown, nothing follows).
  void Cancel();

  Worker Running() const { return m_running; }

 private:
  enum class Next { Nothing, StartRanking, StartVersion, Ended, EndWhenWorkerEnds, Close };

  // The next worker, unless a cancel came first.
  void StartNext(Next next, ChainActions& actions);
  void AfterRanking(const ChainSettings& settings, ChainActions& actions);
  void End(ChainActions& actions);

  Worker m_running = Worker::None;
  Next m_next = Next::Nothing;
  bool m_bResultSeen = false;
  bool m_bUnattended = false;
  bool m_bCancelled = false;
  int m_nExitCode = 0;
};

}  // namespace kanro::frame
