#include "frame/ui/download_orchestrator.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMetaObject>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <limits>
#include <system_error>

#include "app/clock.h"
#include "app/command_ids.h"
#include "app/listing_time.h"
#include "app/messages.h"
#include "app/settings_store.h"
#include "frame/ui/window_target.h"
#include "net/service_request.h"
#include "text/codepage.h"

namespace kanro::frame {

using namespace app::command;

namespace {


// The wall clock is looked at at least this often, so the daily timer
// catches up after a suspend or a clock change.
constexpr int64_t kWallClockCheckSeconds = 60;

QString FromCp932(const std::string& text) { return QString::fromStdString(text::Cp932ToUtf8(text)); }

ChainSettings ReadChainSettings() {
  ChainSettings settings;
  settings.maxRank = GetProfileInt("Window", "MaxRank", 5);
  settings.checkVersion = GetProfileInt("Download", "CheckVersion", 1) != 0;
  return settings;
}

// Texts of work in progress end in "中" (取得中, 整形中, 確認中); every other
// text a worker sends reports how something ended.
bool IsProgressText(const QString& text) { return text.endsWith(QChar(0x4E2D)); }

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, 0, std::numeric_limits<int>::max()));
}

}  // namespace

CDownloadOrchestrator::CDownloadOrchestrator(OrchestratorHost& host, QObject* parent)
    : QObject(parent),
      m_host(host),
      m_target(std::make_unique<CWindowTarget>(
          [this](unsigned message, uintptr_t wParam, intptr_t lParam) { return HandleMessage(message, wParam, lParam); })) {
  m_param.window = m_target.get();
  m_param.onceADay = GetProfileInt("Download", "OnceADay", 0) != 0;

  m_progressTimer.setSingleShot(true);
  m_progressTimer.setInterval(kProgressRepaintMs);
  connect(&m_progressTimer, &QTimer::timeout, this, [this] { RepaintProgress(); });

  m_dailyTimer.setSingleShot(true);
  m_dailyTimer.setTimerType(Qt::PreciseTimer);
  connect(&m_dailyTimer, &QTimer::timeout, this, [this] { OnDailyTimerCheck(); });
}

CDownloadOrchestrator::~CDownloadOrchestrator() {
  m_bClosing = true;
  m_bDestroying = true;
  m_progressTimer.stop();
  m_dailyTimer.stop();
  if (!m_worker.joinable()) return;
  g_bCancel.store(true);
  // The target answers the worker's sends itself from now on, so the worker
  // runs to its end without this object's event handling.
  m_target->Detach();
  // A worker may still wait for a warning box it asked the application
  // object to show: keep serving such calls until the worker is done. Other
  // events are not processed, since the window may be half destroyed.
  while (!m_bWorkerDone.load()) {
    if (QCoreApplication* app = QCoreApplication::instance()) QCoreApplication::sendPostedEvents(app, QEvent::MetaCall);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_worker.join();
}

// ---- commands -------------------------------------------------------------

void CDownloadOrchestrator::OnDownload(unsigned id) {
  if (id != ID_DOWNLOAD && id != ID_REDOWNLOAD && id != ID_REDOWNLOAD_HEADERS) return;
  if (IsBusy()) {
    // Any download command while work runs is a cancel request.
    g_bCancel.store(true);
    m_chain.Cancel();
    return;
  }
  if (m_bClosing) return;
  m_param.force = id != ID_DOWNLOAD;
  // The run rewrites the header page of each entry it reaches; headers of
  // entries it never reaches stay, so their data pages stay showable.
  m_param.renewHeaders = id == ID_REDOWNLOAD_HEADERS;
  m_param.window = m_target.get();
  m_param.days = DownloadDays();
  m_param.start = app::GetListingTime();
  m_param.programmes = GetProfileString("Download", "Programs", "08GooTv,");
  if (StartWorker(WorkerKind::Download)) Q_EMIT downloadStarted();
}

bool CDownloadOrchestrator::StartRanking() {
  if (IsBusy() || m_bClosing) {
    if (!m_bClosing) ShowStatus(QStringLiteral("処理中のため視聴予定ランキングを取得できません"));
    return false;
  }
  ShowStatus(QStringLiteral("視聴予定ランキング取得中"));
  m_host.HideRankingTask();
  if (StartWorker(WorkerKind::Ranking)) return true;
  EndNetworkWork();
  return false;
}

bool CDownloadOrchestrator::StartVersionCheck(bool userCommand) {
  if (IsBusy() || m_bClosing) return false;
  m_bUserVersionCheck = userCommand;
  ShowStatus(QStringLiteral("最新バージョン確認中"));
  if (StartWorker(WorkerKind::Version)) return true;
  m_bUserVersionCheck = false;
  EndNetworkWork();
  return false;
}

// "Download"/"Days". Zero or less is no choice anyone makes on purpose, so it
// falls back to the default; the run cuts a larger value to its own limit.
int CDownloadOrchestrator::DownloadDays() {
  constexpr int kDefaultDays = 8;
  const int days = GetProfileInt("Download", "Days", kDefaultDays);
  if (days < 1) return kDefaultDays;
  return std::min(days, listing::kMaxDownloadDays);
}

void CDownloadOrchestrator::SetUnattendedRun(bool on) { m_chain.SetUnattended(on); }

void CDownloadOrchestrator::UserRestoredWindow() { m_chain.SetUnattended(false); }

bool CDownloadOrchestrator::PrepareClose() {
  m_bClosing = true;
  m_progressTimer.stop();
  m_dailyTimer.stop();
  if (!m_bWorkerRunning) return true;
  g_bCancel.store(true);
  m_chain.Cancel();
  m_target->Detach();
  return false;
}

// ---- workers --------------------------------------------------------------

bool CDownloadOrchestrator::StartWorker(WorkerKind kind) {
  if (m_bWorkerRunning || m_bClosing) return false;
  g_bCancel.store(false);
  m_param.window = m_target.get();
  switch (kind) {
    case WorkerKind::Download:
      m_chain.WorkerStarted(CTaskChain::Worker::Download);
      break;
    case WorkerKind::Ranking:
      m_chain.WorkerStarted(CTaskChain::Worker::Ranking);
      break;
    case WorkerKind::Version:
      m_chain.WorkerStarted(CTaskChain::Worker::Version);
      break;
  }
  m_bWorkerRunning = true;
  m_bWorkerDone.store(false);
  try {
    m_worker = std::thread([this, kind] {
      switch (kind) {
        case WorkerKind::Download:
          listing::DownloadThread(&m_param);
          break;
        case WorkerKind::Ranking:
          RankingThread(m_target.get());
          break;
        case WorkerKind::Version:
          VersionThread(m_target.get());
          break;
      }
      // The last thing the thread does: tell the window it is over.
      m_bWorkerDone.store(true);
      QMetaObject::invokeMethod(this, [this] { OnWorkerEnded(); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    m_bWorkerRunning = false;
    m_chain.OnWorkerEnded();
    return false;
  }
  if (!m_bInWorkerEnded) {
    Q_EMIT busyChanged(true);
  }
  return true;
}

void CDownloadOrchestrator::JoinWorker() {
  if (m_worker.joinable()) m_worker.join();
}

void CDownloadOrchestrator::OnWorkerEnded() {
  // A warning box shown while the destructor waits runs an event loop of its
  // own; the destructor does the joining then, and nobody is told anything.
  if (m_bDestroying) return;
  JoinWorker();
  m_bWorkerRunning = false;
  if (m_bClosing) {
    Q_EMIT busyChanged(false);
    Q_EMIT readyToClose();
    return;
  }
  // The next step of the chain starts here, so the busy state goes from one
  // worker to the next without showing idle in between.
  m_bInWorkerEnded = true;
  Perform(m_chain.OnWorkerEnded(), nullptr);
  m_bInWorkerEnded = false;
  if (!m_bWorkerRunning) {
    Q_EMIT busyChanged(false);
  }
}

// ---- messages -------------------------------------------------------------

intptr_t CDownloadOrchestrator::HandleMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (m_bClosing) {
    CWindowTarget::Drop(message, wParam, lParam);
    return 0;
  }
  switch (message) {
    case app::UM_TASKRESULT:
      OnTaskResult(wParam, lParam);
      break;
    case app::UM_PROGRESS:
      OnProgress(wParam, lParam);
      break;
    case app::UM_STATUSTEXT:
      if (lParam != 0) ShowStatus(FromCp932(reinterpret_cast<const char*>(lParam)));
      break;
    default:
      break;
  }
  return 0;
}

void CDownloadOrchestrator::OnTaskResult(uintptr_t wParam, intptr_t lParam) {
  if (wParam == app::TASK_PAGE_WRITTEN) {
    if (lParam != 0) m_host.OnPageWritten(reinterpret_cast<const char*>(lParam));
    return;
  }
  const bool minimised = m_chain.Unattended() && m_host.IsMinimizedForAutoClose();
  const ChainActions actions = m_chain.OnResult(wParam, lParam != 0, ReadChainSettings(), minimised);
  const bool carriesFile = lParam != 0 && (wParam == app::TASK_RANKING || wParam == app::TASK_VERSION);
  Perform(actions, carriesFile ? reinterpret_cast<const char*>(lParam) : nullptr);
}

void CDownloadOrchestrator::Perform(const ChainActions& actions, const char* file) {
  // Each step may open a modal box whose own event loop lets the user close
  // the window; nothing goes on after that.
  if (actions.searchKeywords) m_host.SearchKeywords();
  if (m_bClosing) return;
  if (actions.applyWatchRules) m_host.ApplyWatchRules();
  if (m_bClosing) return;
  if (actions.showRanking && file) m_host.ShowRanking(file);
  if (m_bClosing) return;
  if (actions.showVersionResult && file) m_host.ShowVersionResult(file);
  if (m_bClosing) return;
  if (actions.deleteFile && file) {
    std::error_code error;
    std::filesystem::remove(std::filesystem::path(file), error);
  }
  if (actions.clearUserVersionCheck) m_bUserVersionCheck = false;
  if (actions.beep) m_host.Beep();
  if (actions.endNetworkWork) EndNetworkWork();
  if (actions.startRanking) StartRanking();
  if (actions.startVersionCheck) StartVersionCheck(false);
  if (actions.closeProgram) m_host.CloseAfterUnattendedRun(actions.exitCode);
}

void CDownloadOrchestrator::EndNetworkWork() {
  m_bProgressOn = false;
  m_bProgressDirty = false;
  m_progressTimer.stop();
  m_host.SetProgress(0, 0);
  if (!m_bStatusIsOutcome) m_host.SetStatusText(QString());
  m_host.ShowChainTasks();
}

void CDownloadOrchestrator::ShowStatus(const QString& text) {
  m_bStatusIsOutcome = !IsProgressText(text);
  m_host.SetStatusText(text);
}

void CDownloadOrchestrator::OnProgress(uintptr_t position, intptr_t range) {
  if (range > 0) {
    m_nProgressRange = ClampToInt(range);
    m_bProgressOn = true;
  }
  const uintptr_t capped = std::min<uintptr_t>(position, static_cast<uintptr_t>(std::numeric_limits<int>::max()));
  m_nProgressPosition = std::min(static_cast<int>(capped), m_nProgressRange);
  m_bProgressDirty = true;
  // Repaint at most every kProgressRepaintMs: a large download sends tens of
  // thousands of these.
  if (!m_progressTimer.isActive()) m_progressTimer.start();
}

void CDownloadOrchestrator::RepaintProgress() {
  if (!m_bProgressDirty || !m_bProgressOn) return;
  m_bProgressDirty = false;
  m_host.SetProgress(m_nProgressPosition, m_nProgressRange);
}

// ---- daily timer ----------------------------------------------------------

void CDownloadOrchestrator::StartDailyTimer() {
  m_daily.Arm(app::Now());
  m_host.SetCaptionDescription(FromCp932(CaptionDescription(app::GetListingTime())));
  ArmDailyTimerCheck();
}

void CDownloadOrchestrator::ArmDailyTimerCheck() {
  if (m_bClosing) return;
  const int64_t now = app::Now();
  int64_t seconds = m_daily.Due() < 0 ? kWallClockCheckSeconds : m_daily.SecondsLeft(now);
  seconds = std::min(seconds, kWallClockCheckSeconds);
  m_dailyTimer.start(static_cast<int>(seconds * 1000));
}

void CDownloadOrchestrator::OnDailyTimerCheck() {
  if (m_daily.Check(app::Now())) {
    m_host.SetCaptionDescription(FromCp932(CaptionDescription(app::GetListingTime())));
    m_host.SetCaptionText(QString());
  }
  ArmDailyTimerCheck();
}

}  // namespace kanro::frame
