// The progress messages of a 50 MB download (one per 1024 bytes received)
// sent through the window's real message target into a UI thread running
// its event loop, and the close of the window during a slow run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "app/messages.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "frame/ui/download_orchestrator.h"
#include "support/temp_dir.h"

namespace {

using kanro::frame::CDownloadOrchestrator;

constexpr int kDownloadBytes = 50 * 1024 * 1024;
constexpr int kProgressStep = 1024;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "bench_progress";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  return app;
}

// A window that only counts what it is asked to paint.
class CountingHost : public kanro::frame::OrchestratorHost {
 public:
  int repaints = 0;
  int lastPosition = 0;
  void SetStatusText(const QString&) override {}
  void SetProgress(int position, int range) override {
    ++repaints;
    if (range != 0) lastPosition = position;
  }
  void OnPageWritten(const std::string&) override {}
  void SearchKeywords() override {}
  void ApplyWatchRules() override {}
  void ShowRanking(const std::string& file) override { std::filesystem::remove(file); }
  void ShowVersionResult(const std::string& file) override { std::filesystem::remove(file); }
  void ShowChainTasks() override {}
  void HideRankingTask() override {}
  bool IsMinimizedForAutoClose() const override { return false; }
  void CloseAfterUnattendedRun(int) override {}
  void SetCaptionDescription(const QString&) override {}
  void SetCaptionText(const QString&) override {}
  void Beep() override {}
};

// The longest the UI thread went without running a 5 ms timer, while fn's
// flood of messages arrived: what a user would feel as lag.
void BM_ProgressOfA50MBDownload(benchmark::State& state) {
  App();
  CountingHost host;
  CDownloadOrchestrator orchestrator(host);
  kanro::app::MessageTarget* target = orchestrator.Param().window;
  const int messages = kDownloadBytes / kProgressStep;
  double worstStallMs = 0;
  int repaints = 0;
  for (auto _ : state) {
    host.repaints = 0;
    std::atomic<bool> done{false};
    QEventLoop loop;
    QElapsedTimer sinceTick;
    sinceTick.start();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      worstStallMs = std::max(worstStallMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
      sinceTick.restart();
      if (done.load()) loop.quit();
    });
    tick.start(5);
    std::thread sender([&] {
      target->Send(kanro::app::UM_PROGRESS, 0, kDownloadBytes);
      for (int i = 1; i <= messages; ++i)
        target->Send(kanro::app::UM_PROGRESS, static_cast<uintptr_t>(i) * kProgressStep, 0);
      done = true;
    });
    loop.exec();
    sender.join();
    repaints = host.repaints;
  }
  state.counters["messages"] = messages;
  state.counters["msg_per_s"] = benchmark::Counter(static_cast<double>(messages) * static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
  state.counters["repaints"] = repaints;
  state.counters["worst_ui_stall_ms"] = worstStallMs;
}
BENCHMARK(BM_ProgressOfA50MBDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// From the window's close request during a run that trickles its pages to
// the moment the worker has ended and the window may go.
void BM_CloseDuringASlowRun(benchmark::State& state) {
  App();
  kanro::test::TempDir data("kanro-bench-close");
  kanro::test::TempDir config("kanro-bench-config");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  kanro::app::SetDataDir(data.path());
  std::filesystem::create_directories(kanro::app::DataFolder());
  std::filesystem::create_directories(kanro::app::HeadFolder());
  kanro::test::ListingServer server;
  server.PointSettingsHere();
  server.SetPageBytes(2 * 1024 * 1024);
  server.SetChunkDelayMs(static_cast<int>(state.range(0)));
  WriteProfileInt("Download", "WaitSec", 0);
  WriteProfileInt("Network", "AccessType", 1);
  WriteProfileString("Download", "Programs", "08GooTv,");
  WriteProfileInt("Download", "Days", 1);

  for (auto _ : state) {
    state.PauseTiming();
    CountingHost host;
    CDownloadOrchestrator orchestrator(host);
    orchestrator.OnDownload(32002);
    // Let the transfer begin.
    {
      QEventLoop loop;
      QTimer poll;
      QObject::connect(&poll, &QTimer::timeout, [&] {
        if (host.repaints > 0) loop.quit();
      });
      poll.start(10);
      loop.exec();
    }
    state.ResumeTiming();
    if (!orchestrator.PrepareClose()) {
      QEventLoop loop;
      QObject::connect(&orchestrator, &CDownloadOrchestrator::readyToClose, &loop, &QEventLoop::quit);
      loop.exec();
    }
  }
}
BENCHMARK(BM_CloseDuringASlowRun)->Arg(20)->Arg(500)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
