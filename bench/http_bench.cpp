// A 50 MB download over loopback through HttpRequest: throughput, peak
// memory, and the cost of one synchronous progress message per 1024 bytes,
// both to a plain counter and handed across to a second thread that waits
// for each one (as a window thread does).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "app/settings_store.h"
#include "net/http_request.h"
#include "support/local_http_server.h"
#include "support/temp_dir.h"

namespace {

constexpr size_t kBodySize = 50u * 1024 * 1024;

class CountingTarget : public kanro::app::MessageTarget {
 public:
  intptr_t Send(unsigned, uintptr_t, intptr_t) override {
    ++sends;
    return 0;
  }
  void Post(unsigned, uintptr_t, intptr_t) override {}
  size_t sends = 0;
};

// Every Send waits until a receiver thread has taken the message, like a
// blocking call into a window's thread. The receiver keeps only the latest
// position, the way a progress bar coalesces its redraws.
class CrossThreadTarget : public kanro::app::MessageTarget {
 public:
  CrossThreadTarget() : receiver_([this] { Receive(); }) {}
  ~CrossThreadTarget() override {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    receiver_.join();
  }
  intptr_t Send(unsigned, uintptr_t wParam, intptr_t) override {
    std::unique_lock lock(mutex_);
    pending_ = wParam;
    hasPending_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !hasPending_; });
    ++sends;
    return 0;
  }
  void Post(unsigned, uintptr_t, intptr_t) override {}
  size_t sends = 0;
  uintptr_t latest = 0;

 private:
  void Receive() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return hasPending_ || stopping_; });
      if (stopping_) return;
      latest = pending_;
      hasPending_ = false;
      changed_.notify_all();
    }
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  uintptr_t pending_ = 0;
  bool hasPending_ = false;
  bool stopping_ = false;
  std::thread receiver_;
};

struct BenchServer {
  BenchServer() : block(64 * 1024, 'k') {
    server.server().Get("/big", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(kBodySize, "application/octet-stream",
                               [this](size_t offset, size_t length, httplib::DataSink& sink) {
                                 size_t n = std::min(length, block.size() - offset % block.size());
                                 sink.write(block.data(), n);
                                 return true;
                               });
    });
    server.Start();
  }
  std::string block;
  kanro::test::LocalHttpServer server;
};

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

template <class Target>
void RunDownload(benchmark::State& state) {
  WriteProfileInt("Network", "AccessType", 1);
  BenchServer server;
  kanro::test::TempDir dir("kanro-bench");
  const std::string url = server.server.Url("/big");
  size_t messages = 0;
  for (auto _ : state) {
    Target target;
    int result = HttpRequest(dir / "big.bin", {""}, url, "", &target, url.c_str(), "GET",
                             HttpLimits{2 * static_cast<long long>(kBodySize), std::chrono::minutes(10)});
    if (result != static_cast<int>(kBodySize)) state.SkipWithError("download failed");
    messages = target.sends;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kBodySize));
  state.counters["messages"] = static_cast<double>(messages);
  state.counters["peak_rss_MB"] = static_cast<double>(PeakRssKb()) / 1024.0;
}

void BM_Download50MB_CountingTarget(benchmark::State& state) { RunDownload<CountingTarget>(state); }
void BM_Download50MB_CrossThreadTarget(benchmark::State& state) { RunDownload<CrossThreadTarget>(state); }

BENCHMARK(BM_Download50MB_CountingTarget)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_Download50MB_CrossThreadTarget)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

// The settings store lives under XDG_CONFIG_HOME; keep the bench away from
// the user's real settings.
int main(int argc, char** argv) {
  kanro::test::TempDir config("kanro-bench-config");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
