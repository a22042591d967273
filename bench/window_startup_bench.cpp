// Start-up of the real kanro window as a process, offscreen: the time from the
// spawn to the first data page shown (reported by the program itself through
// KANRO_REPORT_FIRST_PAGE), and the peak memory of kanro with every helper
// process it starts (the WebEngine renderer and its zygotes).
//   FromStoredPages: pages downloaded beforehand, settings select them.
//   DemoFirstStart:  --demo with an empty data folder, so the time includes
//                    the demo server and the first download.
// Each run gets fresh settings, data, XDG data and temporary folders.
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/paths.h"
#include "demo/demo_profile.h"
#include "demo/demo_server.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kRunTimeout = std::chrono::seconds(90);
constexpr auto kSampleEvery = std::chrono::milliseconds(10);

// ---- process tree -------------------------------------------------------

// The parent of every process now running.
std::map<int, int> ParentsOfAll() {
  std::map<int, int> parents;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), ::isdigit)) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // "pid (comm) state ppid ...": comm may hold spaces and parentheses.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    int ppid = 0;
    if (rest >> state >> ppid) parents[std::stoi(name)] = ppid;
  }
  return parents;
}

// root and all its descendants.
std::vector<int> ProcessTree(int root) {
  const std::map<int, int> parents = ParentsOfAll();
  std::vector<int> tree{root};
  for (size_t i = 0; i < tree.size(); ++i)
    for (const auto& [pid, ppid] : parents)
      if (ppid == tree[i]) tree.push_back(pid);
  return tree;
}

// A "VmRSS:"-style field of /proc/<pid>/status in kB (0 when gone).
long StatusKb(int pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line))
    if (line.compare(0, field.size(), field) == 0) return std::atol(line.c_str() + field.size());
  return 0;
}

long SumKb(const std::vector<int>& pids, const std::string& field) {
  long sum = 0;
  for (int pid : pids) sum += StatusKb(pid, field);
  return sum;
}

// ---- one run ------------------------------------------------------------

struct RunResult {
  bool ok = false;
  std::string error;
  double seconds = 0;    // spawn to the first data page shown
  double peakRssMb = 0;  // highest sampled sum of VmRSS over the tree
  double hwmSumMb = 0;   // sum of each process's VmHWM when the page showed
  int processes = 0;     // size of the tree when the page showed
};

// The first line of the report file: "<monotonic ns>\t<caption>\t<page>".
bool ReadReport(const fs::path& file, long long* ns) {
  std::ifstream in(file);
  std::string line;
  if (!std::getline(in, line) || in.eof()) return false;  // not yet complete
  *ns = std::atoll(line.c_str());
  return *ns > 0;
}

// Fresh folders for one run, removed afterwards.
struct RunFolders {
  kanro::test::TempDir root{"kanro-window-bench"};
  fs::path config = root.path() / "config";
  fs::path dataHome = root.path() / "share";
  fs::path tmp = root.path() / "tmp";
  fs::path data = root.path() / "data";
  fs::path report = root.path() / "first-page.txt";
  RunFolders() {
    for (const fs::path& dir : {config, dataHome, tmp, data}) fs::create_directories(dir);
  }
};

// Kills every process of the tree and reaps them (this program is their
// subreaper, so orphaned helpers come back here).
void KillTree(kanro::test::BackgroundProcess& kanro) {
  const std::vector<int> tree = ProcessTree(kanro.pid());
  kanro.Stop(SIGKILL);
  for (size_t i = 1; i < tree.size(); ++i) kill(tree[i], SIGKILL);
  const auto until = Clock::now() + std::chrono::seconds(5);
  while (Clock::now() < until) {
    const pid_t reaped = waitpid(-1, nullptr, WNOHANG);
    if (reaped < 0) break;  // no children left
    if (reaped == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

RunResult RunUntilFirstPage(const RunFolders& folders, const std::vector<std::string>& args) {
  kanro::test::ProcessOptions options;
  options.env = {{"XDG_CONFIG_HOME", folders.config.string()},
                 {"XDG_DATA_HOME", folders.dataHome.string()},
                 {"TMPDIR", folders.tmp.string()},
                 {"KANRO_REPORT_FIRST_PAGE", folders.report.string()},
                 {"QT_QPA_PLATFORM", "offscreen"},
                 {"QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu"}};
  if (geteuid() == 0) options.env["QTWEBENGINE_DISABLE_SANDBOX"] = "1";

  RunResult result;
  kanro::test::BackgroundProcess kanro;
  const Clock::time_point start = Clock::now();
  if (!kanro.Start(kanro::test::BinDir() / "kanro", args, options)) {
    result.error = "kanro did not start";
    return result;
  }
  long peakKb = 0;
  long long shownNs = 0;
  while (true) {
    const std::vector<int> tree = ProcessTree(kanro.pid());
    peakKb = std::max(peakKb, SumKb(tree, "VmRSS:"));
    if (ReadReport(folders.report, &shownNs)) {
      result.hwmSumMb = SumKb(tree, "VmHWM:") / 1024.0;
      result.processes = static_cast<int>(tree.size());
      break;
    }
    if (!kanro.Running()) {
      result.error = "kanro ended before it showed a data page";
      return result;
    }
    if (Clock::now() - start > kRunTimeout) {
      result.error = "no data page shown within 90 s";
      KillTree(kanro);
      return result;
    }
    std::this_thread::sleep_for(kSampleEvery);
  }
  KillTree(kanro);
  result.ok = true;
  result.seconds = (shownNs - std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count()) / 1e9;
  result.peakRssMb = peakKb / 1024.0;
  return result;
}

// ---- reporting ----------------------------------------------------------

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs one start per iteration (prepare() fills the fresh folders first,
// untimed) and reports the medians as counters.
template <typename Prepare>
void MeasureStarts(benchmark::State& state, const std::vector<std::string>& extraArgs, Prepare prepare) {
  std::vector<double> seconds, peakRss, hwmSum;
  int processes = 0;
  for (auto _ : state) {
    RunFolders folders;
    if (!prepare(folders)) {
      state.SkipWithError("could not prepare the run folders");
      return;
    }
    std::vector<std::string> args = extraArgs;
    args.insert(args.end(), {"--data-dir", folders.data.string()});
    const RunResult run = RunUntilFirstPage(folders, args);
    if (!run.ok) {
      state.SkipWithError(run.error.c_str());
      return;
    }
    state.SetIterationTime(run.seconds);
    seconds.push_back(run.seconds);
    peakRss.push_back(run.peakRssMb);
    hwmSum.push_back(run.hwmSumMb);
    processes = std::max(processes, run.processes);
  }
  state.counters["median_s"] = Median(seconds);
  state.counters["max_s"] = seconds.empty() ? 0 : *std::max_element(seconds.begin(), seconds.end());
  state.counters["peak_rss_MB"] = Median(peakRss);
  state.counters["hwm_sum_MB"] = Median(hwmSum);
  state.counters["processes"] = processes;
}

// Settings and pages of a finished download, made once and copied into each
// run's folders.
struct StoredPages {
  kanro::test::TempDir root{"kanro-window-bench-pages"};
  fs::path config = root.path() / "config";
  fs::path data = root.path() / "data";
  std::string error;

  StoredPages() {
    fs::create_directories(config);
    fs::create_directories(data);
    // The settings store of this process writes where kanro will read.
    const std::string oldConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    kanro::demo::DemoServer server;
    if (!server.Start(0, &error)) return;
    kanro::demo::PointAtServer(server);
    kanro::demo::PresetFirstStart();
    kanro::test::ProcessOptions options;
    options.env = {{"XDG_CONFIG_HOME", config.string()}};
    const kanro::test::ProcessResult r = kanro::test::RunKanroCli({"--data-dir", data.string(), "download"}, options);
    server.Stop();
    if (oldConfig.empty()) unsetenv("XDG_CONFIG_HOME");
    else setenv("XDG_CONFIG_HOME", oldConfig.c_str(), 1);
    if (r.exitCode != 0) error = "kanro-cli download failed: " + r.err;
    else if (fs::is_empty(data / "Data")) error = "kanro-cli download wrote no pages";
  }
};

void BM_WindowFromStoredPages(benchmark::State& state) {
  static StoredPages pages;
  if (!pages.error.empty()) {
    state.SkipWithError(pages.error.c_str());
    return;
  }
  MeasureStarts(state, {}, [](const RunFolders& folders) {
    std::error_code ec;
    fs::copy(pages.config, folders.config, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (!ec)
      fs::copy(pages.data, folders.data, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    return !ec;
  });
}
BENCHMARK(BM_WindowFromStoredPages)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_WindowDemoFirstStart(benchmark::State& state) {
  MeasureStarts(state, {"--demo"}, [](const RunFolders&) { return true; });
}
BENCHMARK(BM_WindowDemoFirstStart)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // kanro and kanro-cli from beside this program unless told.
  if (!std::getenv("KANRO_BIN_DIR")) setenv("KANRO_BIN_DIR", kanro::app::ExecutableDir(argv[0]).c_str(), 1);
  unsetenv("KANRO_DATA_DIR");
  // WebEngine helpers orphaned by the kill of kanro are reaped here.
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
