// One pass of marks over a loaded 300 KB data page in a real WebEngine
// (offscreen): collect the cells, decide, apply. This is the time from a
// data page's load to its marks on screen.
//   KeywordHighlight: the keyword highlighting with 30 keywords.
//   WatchMarks: the watch marks of today's page with 50 programmes marked.
//   KeywordHighlightOnShownPage, WatchMarksOnShownPage: the same on a page
//   already laid out (a click on a watch link re-marks such a page).
//   NoMarks: the same pass changing nothing, for comparison.
//   DayInView/0 and /30: the real view switching between two days of 300 KB
//   pages, from the day command to the marks on screen, with no keywords and
//   no marks, and with 30 keywords and 50 marks; the difference is what the
//   marks add to showing a day.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/default_files.h"
#include "app/frameset_page.h"
#include "app/settings_store.h"
#include "gui/test_view_host.h"
#include "app/paths.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "support/temp_dir.h"
#include "text/codepage.h"
#include "view/keyword_highlight.h"
#include "view/watch_marks.h"
#include "view/page_locations.h"
#include "view/ui/kanro_view.h"
#include "view/ui/page_dom.h"
#include "view/ui/prp_scheme.h"
#include "view/ui/view_page.h"

namespace {

namespace fs = std::filesystem;

// A converted goo page of about 300 KB in a data folder with the default files.
struct LoadedDataFolder {
  kanro::test::TempDir temp{"kanro-mark-bench"};
  fs::path page;

  LoadedDataFolder() {
    kanro::app::SetDataDir(temp.path());
    kanro::app::CreateDefaultFiles();
    kanro::sites::SamplePageOptions options;
    options.targetBytes = 300 * 1024;
    options.realistic = true;
    const fs::path downloaded = temp.path() / "downloaded.html";
    kanro::sites::WriteSamplePage(downloaded, options);
    page = kanro::view::DataPagePath("20110309", "08GooTv");
    kanro::sites::CGooHtmlCreater creater;
    creater.CreateHead(downloaded, kanro::view::HeaderPagePath("08GooTv"));
    creater.CreateData(downloaded, page, kanro::text::Utf8ToCp932("番組表"));
  }
};

std::vector<std::string> ThirtyKeywords() {
  const char* words[] = {"【新】.*", "ニュース", "天気", "映画", "ドラマ", "アニメ", "サッカー|野球", "特集",
                         "音楽", "料理", "旅", "[0-9]+時", "最終回", "字幕", "再放送", "ドキュメント",
                         "スポーツ", "ゴルフ", "将棋", "囲碁", "相撲", "競馬", "時代劇", "落語", "歌舞伎",
                         "クイズ", "紀行", "科学", "歴史", "^ＮＨＫ"};
  std::vector<std::string> keywords;
  for (const char* word : words) keywords.push_back(kanro::text::Utf8ToCp932(word));
  return keywords;
}

using Decide = std::function<size_t(std::vector<kanro::view::PageCell>&)>;

// Waits in a local event loop until the callback given to start runs.
template <class Result, class Start>
Result Await(Start start) {
  QEventLoop loop;
  Result result{};
  start([&](Result value) {
    result = std::move(value);
    loop.quit();
  });
  loop.exec();
  return result;
}

double Milliseconds(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// Loads the page afresh for every iteration in a page of the view's own
// kind, and times from the moment the data document reports ready (where the
// view starts its pass) to the marks applied: collect, decide, apply, as the
// view does. The counters split the time: collect_ms and apply_ms are
// round trips to the renderer (apply queues behind the page's first layout),
// decide_ms is the plain logic; decide returns how many cells it marked.
// settled: the page has been laid out before the pass starts, as when a
// watch link is clicked on a page already on screen.
void TimePasses(benchmark::State& state, const Decide& decide, bool settled = false) {
  static LoadedDataFolder folder;
  std::unique_ptr<QWebEngineProfile> profile(kanro::view::CreateViewProfile());
  auto page = std::make_unique<kanro::view::ViewPage>(profile.get());
  QEventLoop* waiting = nullptr;
  page->onFrameReport = [&waiting](const kanro::view::FrameReport& report) {
    if (report.topFrame && waiting) waiting->quit();
  };
  const kanro::view::PageDom dom(page.get(), QStringLiteral("document"));
  size_t marked = 0;
  size_t cells = 0;
  double collectMs = 0, decideMs = 0, applyMs = 0;
  for (auto _ : state) {
    QEventLoop loop;
    waiting = &loop;
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    // The page follows only the loads it was told of, as the view's own do.
    page->ExpectLoad(kanro::view::PageUrl(folder.page));
    page->load(kanro::view::PageUrl(folder.page));
    loop.exec();
    waiting = nullptr;
    if (settled) {
      // A pass that changes nothing returns once the first layout is done.
      const auto first = Await<kanro::view::PageCells>([&](auto done) { dom.Collect(std::move(done)); });
      Await<bool>([&](auto done) { dom.Apply(first.generation, {}, std::move(done)); });
    }

    const auto start = std::chrono::steady_clock::now();
    const auto collected =
        Await<kanro::view::PageCells>([&](auto done) { dom.Collect(std::move(done)); });
    const auto decideStart = std::chrono::steady_clock::now();
    std::vector<kanro::view::PageCell> after = collected.cells;
    marked = decide(after);
    cells = after.size();
    const auto changes = kanro::view::DiffCells(collected.cells, after);
    const auto applyStart = std::chrono::steady_clock::now();
    const bool applied =
        Await<bool>([&](auto done) { dom.Apply(collected.generation, changes, std::move(done)); });
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(Milliseconds(start, end) / 1000.0);
    collectMs += Milliseconds(start, decideStart);
    decideMs += Milliseconds(decideStart, applyStart);
    applyMs += Milliseconds(applyStart, end);
    if (!collected.ok || !applied) {
      state.SkipWithError("the marks were not applied");
      break;
    }
  }
  page.reset();
  const double n = static_cast<double>(std::max<int64_t>(1, state.iterations()));
  state.counters["collect_ms"] = collectMs / n;
  state.counters["decide_ms"] = decideMs / n;
  state.counters["apply_ms"] = applyMs / n;
  state.counters["cells"] = static_cast<double>(cells);
  state.counters["marked"] = static_cast<double>(marked);
  state.counters["page_kb"] = static_cast<double>(fs::file_size(folder.page)) / 1024.0;
}

// The page's watch links are numbered from 0000 in this process: every
// sixth programme of the day is marked.
std::vector<std::string> FiftyWatchKeys() {
  std::vector<std::string> keys;
  for (int id = 0; id < 300; id += 6) {
    char key[32];
    std::snprintf(key, sizeof key, "%04d08GooTv", id);
    keys.push_back(key);
  }
  return keys;
}

size_t HighlightThirtyKeywords(std::vector<kanro::view::PageCell>& cells) {
  static const std::vector<std::string> keywords = ThirtyKeywords();
  std::vector<std::u32string> texts;
  texts.reserve(cells.size());
  for (const auto& cell : cells) texts.push_back(cell.text);
  const auto highlight = kanro::view::HighlightCells(texts, keywords);
  for (const auto& mark : highlight.marks) {
    cells[mark.cell].className += U" keyword";
    cells[mark.cell].id = kanro::text::Utf8ToWide(std::to_string(mark.number));
  }
  return highlight.marks.size();
}

void KeywordHighlight(benchmark::State& state) { TimePasses(state, HighlightThirtyKeywords); }
BENCHMARK(KeywordHighlight)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

void KeywordHighlightOnShownPage(benchmark::State& state) { TimePasses(state, HighlightThirtyKeywords, true); }
BENCHMARK(KeywordHighlightOnShownPage)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

kanro::view::WatchMarkRequest FiftyMarksOnToday() {
  kanro::view::WatchMarkRequest request;
  request.date = "20110309";
  request.entry = "08GooTv";
  request.today = true;
  request.now = 0;  // every programme is still ahead: each marked one gets an alert
  request.keys = FiftyWatchKeys();
  return request;
}

size_t DecideFiftyMarks(std::vector<kanro::view::PageCell>& cells) {
  static const kanro::view::WatchMarkRequest request = FiftyMarksOnToday();
  const kanro::view::WatchMarkPass pass = kanro::view::DecideWatchMarks(cells, request);
  kanro::view::ApplyCellChanges(cells, pass.changes);
  return pass.changes.size();
}

void WatchMarks(benchmark::State& state) { TimePasses(state, DecideFiftyMarks); }
BENCHMARK(WatchMarks)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// The pass a click on a watch link runs: the page is on screen already.
void WatchMarksOnShownPage(benchmark::State& state) { TimePasses(state, DecideFiftyMarks, true); }
BENCHMARK(WatchMarksOnShownPage)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

// The same pass deciding nothing: the collect and apply round trips alone,
// apply waiting behind the page's first layout. KeywordHighlight and
// WatchMarks less this is what the marks themselves cost.
void NoMarks(benchmark::State& state) {
  TimePasses(state, [](std::vector<kanro::view::PageCell>&) { return size_t{0}; });
}
BENCHMARK(NoMarks)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

void DayInView(benchmark::State& state) {
  static LoadedDataFolder folder;
  const bool marks = state.range(0) != 0;
  // Noon of 9 March 2011: the first page is today's, so its marks get alerts.
  const int64_t noon = kanro::app::FromLocalDate(2011, 3, 9, 12, 0, 0);
  kanro::app::SetClockForTesting([noon] { return noon; });
  std::error_code ignored;
  fs::copy_file(folder.page, kanro::view::DataPagePath("20110310", "08GooTv"), fs::copy_options::overwrite_existing, ignored);
  kanro::app::CreateIndex(kanro::app::IndexPath());
  WriteProfileInt("Window", "TvProgramTypeIndex", 0);
  std::string watch;
  for (const std::string& key : FiftyWatchKeys()) watch += key + ",";
  for (const char* date : {"20110309", "20110310"}) WriteProfileString("Watch", date, marks ? watch : std::string());

  kanro::test::TestViewHost host;
  if (marks) host.keywords = ThirtyKeywords();
  auto view = std::make_unique<kanro::view::CKanroView>(host, host.days);
  view->resize(1000, 700);
  view->show();
  auto waitShown = [&view] {
    QEventLoop loop;
    bool shown = false;
    QObject::connect(view.get(), &kanro::view::CKanroView::dataPageShown, &loop, [&] {
      shown = true;
      loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    loop.exec();
    return shown;
  };
  // The start shows this week (9 March is its Wednesday) and today's page.
  view->OnInitialUpdate();
  if (!waitShown()) state.SkipWithError("the first day was not shown");
  unsigned day = 60010;  // 9 March; 60011 is 10 March
  for (auto _ : state) {
    day = day == 60010 ? 60011 : 60010;
    view->OnCommand(day);
    if (!waitShown()) {
      state.SkipWithError("the day was not shown");
      break;
    }
  }
  view.reset();
  kanro::app::SetClockForTesting({});
}
BENCHMARK(DayInView)->Arg(0)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  // Watch lists are settings: they go to a folder of the benchmark's own.
  kanro::test::TempDir config("kanro-mark-bench-config");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu", 0);
  setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
  kanro::view::RegisterPrpScheme();
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
