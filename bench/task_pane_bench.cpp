// The task pane's share of a keyword search, offscreen: filling the result
// groups (30 keywords x 80 pages, every keyword found on every page: 2,400
// result tasks), and the whole search of a week of listings (80 data pages of
// about 300 KB, 30 keywords) through the pane against the engine alone.
//
//   QT_QPA_PLATFORM=offscreen bench_task_pane_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/keyword_list.h"
#include "app/paths.h"
#include "app/startup.h"
#include "search_workload.h"
#include "support/temp_dir.h"
#include "taskpane/keyword_search.h"
#include "taskpane/result_groups.h"
#include "taskpane/ui/task_pane.h"
#include "text/codepage.h"

namespace {

namespace fs = std::filesystem;
using kanro::taskpane::CTaskPane;
using kanro::taskpane::KeywordResults;

using kanro::bench::kDays;
using kanro::bench::kEntries;
using kanro::bench::kFirstDay;
using kanro::bench::kKeywords;

class NoHost : public kanro::taskpane::TaskPaneHost {
 public:
  void OnTaskCommand(unsigned) override {}
  const std::vector<std::string>& ListingEntries() const override { return kEntries; }
  bool ShowListingDay(size_t, const std::string&) override { return true; }
  void ScrollToCell(int) override {}
  void ShowProgramme(const std::string&, const std::string&, const std::string&) override {}
};

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_task_pane";
  static char* argv[] = {name, nullptr};
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// Every keyword found on every page.
std::vector<KeywordResults> FullResults() {
  std::vector<KeywordResults> results;
  for (const std::string& keyword : kKeywords) {
    KeywordResults found;
    found.keyword = kanro::text::Utf8ToCp932(keyword);
    for (int day = 0; day < kDays; ++day)
      for (size_t entry = 0; entry < kEntries.size(); ++entry)
        found.results[int64_t{kFirstDay + day} * 100 + static_cast<int64_t>(entry)] =
            kanro::text::Utf8ToCp932("03/09 茨城県【地上波】");
    results.push_back(std::move(found));
  }
  return results;
}

void BM_PaneShowsResults(benchmark::State& state) {
  App();
  NoHost host;
  CTaskPane pane(host, false);
  pane.resize(220, 700);
  pane.show();
  const std::vector<KeywordResults> results = FullResults();
  for (auto _ : state) {
    pane.ShowResultGroups(kanro::taskpane::BuildResultGroups(results));
    pane.Tree()->viewport()->repaint();
  }
  state.counters["tasks"] = static_cast<double>(kKeywords.size() * kDays * kEntries.size());
}
BENCHMARK(BM_PaneShowsResults)->Unit(benchmark::kMillisecond)->MinTime(1.0);

struct DataFolder {
  kanro::test::TempDir dir{"kanro-pane-bench"};
  DataFolder() {
    kanro::app::SetDataDir(dir.path());
    std::string reason;
    kanro::app::PrepareDataFolder(&reason);
    kanro::bench::WriteSearchPages(kanro::app::DataFolder());
    std::vector<std::string> keywords;
    for (const std::string& keyword : kKeywords) keywords.push_back(kanro::text::Utf8ToCp932(keyword));
    kanro::app::SaveKeywords(keywords);
    // Noon of the first day: every page is from today on.
    const int64_t noon = kanro::app::FromLocalDate(2011, 3, 9, 12, 0, 0);
    kanro::app::SetClockForTesting([noon] { return noon; });
  }
};

DataFolder& TheDataFolder() {
  static DataFolder folder;
  return folder;
}

void BM_PaneSearch(benchmark::State& state) {
  App();
  TheDataFolder();
  NoHost host;
  CTaskPane pane(host, false);
  pane.resize(220, 700);
  pane.show();
  for (auto _ : state) {
    pane.SearchKeywords(kEntries);
    pane.Tree()->viewport()->repaint();
  }
  int tasks = 0;
  for (int group = CTaskPane::kFirstResultGroup; group < pane.GroupCount(); ++group)
    tasks += pane.Group(group)->childCount();
  state.counters["tasks"] = tasks;
}
BENCHMARK(BM_PaneSearch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_EngineAlone(benchmark::State& state) {
  TheDataFolder();
  kanro::taskpane::KeywordSearchRequest request;
  request.entries = kEntries;
  kanro::app::LoadKeywords(request.keywords);
  request.today = kFirstDay;
  request.dataFolder = kanro::app::DataFolder();
  for (auto _ : state) benchmark::DoNotOptimize(kanro::taskpane::RunKeywordSearch(request));
}
BENCHMARK(BM_EngineAlone)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
