// A whole download run: 8 days x 10 listing entries = 80 generated pages from
// a local listing server (no courtesy wait), fetched, converted and written.
// Reports the time of a run and, from a fresh child process per page size,
// the peak resident memory (ru_maxrss) of a run, to show that it does not
// grow with the page size: pages are streamed line by line.
//
//   bench_download_bench [Google Benchmark options]
//
// The listing servers run in their own processes (one per page size, pages
// generated before timing starts), so neither their memory nor the page
// generator shows up in the numbers.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/messages.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "fixtures/listing_server.h"
#include "listing/download_thread.h"
#include "listing/listing_types.h"
#include "sites/sample_pages.h"
#include "bench_temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kDays = 8;
const char* const kProgrammes =
    "08GooTv,08GooBsDisital,08GooUhfBs,08YahooAm,08YahooFm,13GooTv,13GooBsDisital,13GooUhfBs,13YahooAm,13YahooFm,";
const std::vector<size_t> kPageSizes = {100000, 300000, 1000000};

using kanro::bench::MakeTempDir;

int64_t FirstDay() { return kanro::app::FromLocalDate(2011, 3, 9, 12, 0, 0); }

// The request targets of the 80 pages of a run.
std::vector<std::string> RunTargets() {
  std::vector<std::string> targets;
  for (int day = 0; day < kDays; ++day) {
    kanro::app::LocalDate date = kanro::app::ToLocalDate(FirstDay() + day * 86400);
    for (const char* code : {"008", "013"}) {
      for (const auto& type : kanro::listing::kListingTypes) {
        if (!kanro::listing::IsSiteType(type)) continue;
        kanro::sites::SamplePageOptions options;
        options.typeKey = std::string(type.key);
        options.locationCode = type.site == kanro::listing::ListingSite::Goo ? code : (code[2] == '8' ? "23" : "28");
        options.year = date.year;
        options.month = date.month;
        options.day = date.day;
        targets.push_back(kanro::sites::SampleTargetFor(options));
      }
    }
  }
  return targets;
}

// A listing server in a child process, pages of one size generated up front.
struct ServerProcess {
  pid_t pid = -1;
  int port = 0;
  int stopFd = -1;
  size_t payloadBytes = 0;  // bytes of the 80 pages together
};

std::map<size_t, ServerProcess>& Servers() {
  static std::map<size_t, ServerProcess> servers;
  return servers;
}

ServerProcess StartServer(size_t pageBytes) {
  int portPipe[2];
  int stopPipe[2];
  if (pipe(portPipe) != 0 || pipe(stopPipe) != 0) std::exit(2);
  ServerProcess server;
  server.pid = fork();
  if (server.pid == 0) {
    close(portPipe[0]);
    close(stopPipe[1]);
    // Earlier servers' stop pipes must close only when the bench lets go of them.
    for (auto& [size, earlier] : Servers()) close(earlier.stopFd);
    int status = 0;
    {
      kanro::test::ListingServer listing;
      listing.SetPageBytes(pageBytes);
      long long total = 0;
      for (const std::string& target : RunTargets()) {
        total += static_cast<long long>(listing.Preload(target));
      }
      long long message[2] = {listing.port(), total};
      if (write(portPipe[1], message, sizeof message) != sizeof message) status = 1;
      char byte;
      while (read(stopPipe[0], &byte, 1) > 0) {
      }
    }
    _exit(status);
  }
  close(portPipe[1]);
  close(stopPipe[0]);
  long long message[2] = {0, 0};
  if (read(portPipe[0], message, sizeof message) != sizeof message) std::exit(2);
  close(portPipe[0]);
  server.port = static_cast<int>(message[0]);
  server.payloadBytes = static_cast<size_t>(message[1]);
  server.stopFd = stopPipe[1];
  return server;
}

void PointAt(const ServerProcess& server) {
  for (const auto& type : kanro::listing::kListingTypes) {
    if (!kanro::listing::IsSiteType(type)) continue;
    std::string key(type.key);
    WriteProfileString("URL", key.c_str(), "http://127.0.0.1:" + std::to_string(server.port) + std::string(type.urlPath));
  }
}

class Quiet : public kanro::app::MessageTarget {
 public:
  intptr_t Send(unsigned, uintptr_t, intptr_t) override { return 0; }
  void Post(unsigned, uintptr_t, intptr_t) override {}
};

// One run into a fresh data folder; true when it completed.
bool OneRun(const fs::path& dataDir) {
  std::error_code ec;
  fs::remove_all(dataDir, ec);
  kanro::app::SetDataDir(dataDir);
  fs::create_directories(kanro::app::DataFolder());
  fs::create_directories(kanro::app::HeadFolder());
  Quiet window;
  kanro::listing::DOWNLOADPARAM param;
  param.days = kDays;
  param.start = FirstDay();
  param.force = true;
  param.window = &window;
  param.programmes = kProgrammes;
  return kanro::listing::DownloadThread(&param) == 0;
}

fs::path& Root() {
  static fs::path root = MakeTempDir("kanro-download-bench");
  return root;
}

void BM_DownloadRun(benchmark::State& state) {
  const ServerProcess& server = Servers().at(static_cast<size_t>(state.range(0)));
  PointAt(server);
  for (auto _ : state) {
    if (!OneRun(Root() / "data")) state.SkipWithError("the run failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(server.payloadBytes));
  state.counters["pages"] = 80;
  state.counters["page_KB"] = static_cast<double>(server.payloadBytes) / 80 / 1000;
}

// Peak memory of a run, measured in a child process that does nothing else.
void BM_DownloadRunPeakMemory(benchmark::State& state) {
  const ServerProcess& server = Servers().at(static_cast<size_t>(state.range(0)));
  PointAt(server);
  long before = 0;
  long after = 0;
  for (auto _ : state) {
    int results[2];
    if (pipe(results) != 0) std::exit(2);
    pid_t child = fork();
    if (child == 0) {
      close(results[0]);
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      long message[3] = {usage.ru_maxrss, 0, 0};
      message[2] = OneRun(Root() / ("rss-" + std::to_string(getpid()))) ? 1 : 0;
      getrusage(RUSAGE_SELF, &usage);
      message[1] = usage.ru_maxrss;
      ssize_t written = write(results[1], message, sizeof message);
      _exit(written == sizeof message ? 0 : 1);
    }
    close(results[1]);
    long message[3] = {0, 0, 0};
    ssize_t got = read(results[0], message, sizeof message);
    close(results[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got != sizeof message || message[2] != 1) state.SkipWithError("the run failed");
    before = message[0];
    after = message[1];
  }
  state.counters["page_KB"] = static_cast<double>(server.payloadBytes) / 80 / 1000;
  state.counters["rss_before_MB"] = static_cast<double>(before) / 1024;
  state.counters["peak_rss_MB"] = static_cast<double>(after) / 1024;
  state.counters["growth_MB"] = static_cast<double>(after - before) / 1024;
}

}  // namespace

BENCHMARK(BM_DownloadRunPeakMemory)->Arg(100000)->Arg(300000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadRun)->Arg(100000)->Arg(300000)->Arg(1000000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
  // Private settings, so the run never touches the user's own.
  setenv("XDG_CONFIG_HOME", (Root() / "config").c_str(), 1);
  // The servers are forked before anything starts a thread.
  for (size_t bytes : kPageSizes) Servers()[bytes] = StartServer(bytes);

  WriteProfileInt("Download", "WaitSec", 0);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  for (auto& [bytes, server] : Servers()) {
    close(server.stopFd);
    waitpid(server.pid, nullptr, 0);
  }
  std::error_code ec;
  fs::remove_all(Root(), ec);
  return 0;
}
