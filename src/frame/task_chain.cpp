#include "frame/task_chain.h"

#include "app/messages.h"

namespace kanro::frame {

void CTaskChain::WorkerStarted(Worker worker) {
  m_running = worker;
  m_next = Next::Nothing;
  m_bResultSeen = false;
  m_bCancelled = false;
}

void CTaskChain::End(ChainActions& actions) {
  actions.endNetworkWork = true;
  m_next = Next::Ended;
}

void CTaskChain::StartNext(Next next, ChainActions& actions) {
  if (m_bCancelled) {
    End(actions);
    return;
  }
  m_next = next;
}

void CTaskChain::AfterRanking(const ChainSettings& settings, ChainActions& actions) {
  if (settings.checkVersion) {
    StartNext(Next::StartVersion, actions);
  } else {
    actions.beep = true;
    End(actions);
  }
}

ChainActions CTaskChain::OnResult(uintptr_t wParam, bool hasFile, const ChainSettings& settings,
                                  bool minimised) {
  ChainActions actions;
  // Only a worker's first result may continue the chain; anything after it
  // (or after the chain ended) is dropped.
  const bool first = !m_bResultSeen && m_next == Next::Nothing;
  m_bResultSeen = true;

  // The unattended close looks at the download run's own result only.
  if (first && m_bUnattended && m_running == Worker::Download &&
      (wParam == app::TASK_DOWNLOAD_DONE || wParam == app::TASK_FAILED)) {
    m_bUnattended = false;
    if (minimised) {
      // The marks the watch rules set last beyond the run, so an unattended
      // download sets them too; the keyword pane is not shown to anyone.
      actions.applyWatchRules = wParam == app::TASK_DOWNLOAD_DONE;
      m_next = Next::Close;
      m_nExitCode = wParam == app::TASK_DOWNLOAD_DONE ? 0 : 1;
      return actions;
    }
  }

  if (!first) {
    actions.deleteFile = hasFile;
    return actions;
  }

  switch (wParam) {
    case app::TASK_DOWNLOAD_DONE:
      actions.searchKeywords = true;
      actions.applyWatchRules = true;
      if (settings.maxRank > 0) {
        StartNext(Next::StartRanking, actions);
      } else {
        // Ranking skipped: the chain goes on as after a ranking without file.
        AfterRanking(settings, actions);
      }
      break;
    case app::TASK_RANKING:
      actions.showRanking = hasFile;
      AfterRanking(settings, actions);
      break;
    case app::TASK_VERSION:
      actions.showVersionResult = hasFile;
      actions.beep = true;
      End(actions);
      break;
    default:
      // A failure (or an unknown result) ends the chain at once.
      actions.deleteFile = hasFile;
      actions.clearUserVersionCheck = m_running == Worker::Version;
      End(actions);
      break;
  }
  return actions;
}

ChainActions CTaskChain::OnWorkerEnded() {
  ChainActions actions;
  const Worker ended = m_running;
  const Next next = m_next;
  m_running = Worker::None;
  m_next = Next::Nothing;
  switch (next) {
    case Next::StartRanking:
      actions.startRanking = true;
      break;
    case Next::StartVersion:
      actions.startVersionCheck = true;
      break;
    case Next::Close:
      actions.closeProgram = true;
      actions.exitCode = m_nExitCode;
      break;
    case Next::EndWhenWorkerEnds:
      actions.endNetworkWork = true;
      break;
    case Next::Ended:
      break;
    case Next::Nothing:
      // Ended without any result: the window must still leave its busy look.
      if (ended != Worker::None) {
        actions.clearUserVersionCheck = ended == Worker::Version;
        actions.endNetworkWork = true;
      }
      break;
  }
  m_bResultSeen = false;
  m_bCancelled = false;
  return actions;
}

void CTaskChain::Cancel() {
  m_bCancelled = true;
  // The result came, the next step did not start yet: it never will.
  if (m_next == Next::StartRanking || m_next == Next::StartVersion) m_next = Next::EndWhenWorkerEnds;
}

}  // namespace kanro::frame
