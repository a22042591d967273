// Start-up costs: the retention scan over a large Data folder, and a whole
// kanro-cli run up to an idle "settings get".
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "app/clock.h"
#include "app/paths.h"
#include "app/retention.h"
#include "app/settings_store.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kPages = 10000;
constexpr int kDays = 100;  // 100 listing entries per day

// 10,000 data pages over 100 days ending on 10 March 2011, and a watch list
// for every day.
void FillDataFolder(const fs::path& data) {
  fs::create_directories(data);
  for (int i = 0; i < kPages; ++i) {
    int64_t day = kanro::app::FromLocalDate(2011, 3, 10, 12) - static_cast<int64_t>(i / (kPages / kDays)) * 86400;
    kanro::app::LocalDate date = kanro::app::ToLocalDate(day);
    static const char* const kTypes[] = {"GooTv", "GooBsDisital", "GooUhfBs", "YahooAm", "YahooFm"};
    const int entry = i % (kPages / kDays);  // 20 prefectures x 5 types
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d%02d%s.htm", date.year, date.month, date.day, entry / 5 + 1,
                  kTypes[entry % 5]);
    if (std::FILE* file = std::fopen((data / name).c_str(), "wb")) std::fclose(file);
  }
}

void FillWatchLists() {
  for (int i = 0; i < kDays; ++i) {
    kanro::app::LocalDate date = kanro::app::ToLocalDate(kanro::app::FromLocalDate(2011, 3, 10, 12) - i * 86400LL);
    char key[16];
    std::snprintf(key, sizeof key, "%04d%02d%02d", date.year, date.month, date.day);
    WriteProfileString("Watch", key, "0001 08GooTv,");
  }
}

// Retention that keeps every page: the cost of the scan alone.
void BM_RemoveOldFiles_KeepAll(benchmark::State& state) {
  kanro::test::TempDir dir("kanro-bench");
  kanro::app::SetDataDir(dir.path());
  FillDataFolder(dir / "Data");
  const int64_t now = kanro::app::FromLocalDate(2011, 3, 10, 12);
  kanro::app::SetClockForTesting([now] { return now; });
  WriteProfileString("Download", "ExistTerm", "365");
  for (auto _ : state) benchmark::DoNotOptimize(kanro::app::RemoveOldFiles());
  state.SetItemsProcessed(state.iterations() * kPages);
  kanro::app::SetClockForTesting({});
}
BENCHMARK(BM_RemoveOldFiles_KeepAll)->Unit(benchmark::kMillisecond);

// Retention of 50 days: the listing day and the 50 before it stay, so 49 of
// the 100 days go (4,900 pages and 49 watch lists).
void BM_RemoveOldFiles_Remove4900(benchmark::State& state) {
  kanro::test::TempDir dir("kanro-bench");
  kanro::app::SetDataDir(dir.path());
  const int64_t now = kanro::app::FromLocalDate(2011, 3, 10, 12);
  kanro::app::SetClockForTesting([now] { return now; });
  WriteProfileString("Download", "ExistTerm", "50");
  for (auto _ : state) {
    state.PauseTiming();
    FillDataFolder(dir / "Data");
    FillWatchLists();
    state.ResumeTiming();
    int removed = kanro::app::RemoveOldFiles();
    if (removed != 49 * (kPages / kDays)) {
      state.SkipWithError(("unexpected number of pages removed: " + std::to_string(removed)).c_str());
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * kPages);
  kanro::app::SetClockForTesting({});
}
BENCHMARK(BM_RemoveOldFiles_Remove4900)->Unit(benchmark::kMillisecond)->Iterations(5);

// A whole process: start, prepare the data folder, read one value, exit.
void BM_CliSettingsGet(benchmark::State& state) {
  kanro::test::TempDir dir("kanro-bench");
  WriteProfileInt("Download", "Days", 8);
  const std::vector<std::string> args = {"--data-dir", dir.path().string(), "settings", "get", "Download", "Days"};
  kanro::test::RunKanroCli(args);  // first run creates the default files
  for (auto _ : state) {
    kanro::test::ProcessResult result = kanro::test::RunKanroCli(args);
    if (result.exitCode != 0 || result.out != "8\n") {
      state.SkipWithError("kanro-cli settings get failed");
      break;
    }
  }
}
BENCHMARK(BM_CliSettingsGet)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Private settings, and kanro-cli from beside this program unless told.
  kanro::test::TempDir config("kanro-bench-config");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  unsetenv("KANRO_DATA_DIR");
  if (!std::getenv("KANRO_BIN_DIR")) setenv("KANRO_BIN_DIR", kanro::app::ExecutableDir(argv[0]).c_str(), 1);
  setenv("TZ", "Asia/Tokyo", 1);
  tzset();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
