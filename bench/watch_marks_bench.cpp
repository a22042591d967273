// The watch pass over a shown data page: the TD cells of goo pages converted
// by the real converter, as the view collects them (inner markup with tag
// names in capitals, the class), and 50 marks: one day's 300 KB page, and
// seven days' cells in one list (several thousand cells). Times the
// decision on today's page (marks, summary and alerts) and on another day's.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/clock.h"
#include "app/default_files.h"
#include "app/paths.h"
#include "bench_temp_dir.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/text_file.h"
#include "view/page_cells.h"
#include "view/watch_list.h"
#include "view/watch_marks.h"

namespace {

namespace fs = std::filesystem;
using namespace kanro;

constexpr size_t kMarks = 50;

struct Workload {
  std::vector<view::PageCell> cells;
  std::vector<std::string> keys;
  size_t pageBytes = 0;    // the converted pages' files
  size_t markupBytes = 0;  // the cells' inner markup (a nested cell counts in its outer one too)
};

// Tag names in capitals, as the view hands cells over (a browser writes
// them in lower case); attributes and text stay.
std::u32string CapitalTagNames(std::u32string_view markup) {
  std::u32string out(markup);
  for (size_t at = out.find(U'<'); at != std::u32string::npos; at = out.find(U'<', at + 1)) {
    size_t name = at + 1;
    if (name < out.size() && out[name] == U'/') ++name;
    for (; name < out.size() && ((out[name] >= U'a' && out[name] <= U'z') || (out[name] >= U'A' && out[name] <= U'Z') ||
                                 (out[name] >= U'0' && out[name] <= U'9'));
         ++name)
      if (out[name] >= U'a' && out[name] <= U'z') out[name] = out[name] - U'a' + U'A';
  }
  return out;
}

// Reads the bytes of a file ("" when it cannot).
std::string ReadBytes(const fs::path& path) {
  std::string bytes;
  if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[65536];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, read);
    std::fclose(file);
  }
  return bytes;
}

// Every TD element of a page in document order with its inner markup and
// class, as the view's collect script returns them: a programme's cell and
// the cell of the table inside it are two cells.
std::vector<view::PageCell> CollectCells(const std::u32string& page) {
  const text::WRegex tag(U"<(/?)td([^>]*)>");
  const text::WRegex classPattern(U"class=\"([^\"]*)\"");
  struct Open {
    size_t cell;
    size_t contentBegin;
  };
  std::vector<view::PageCell> cells;
  std::vector<Open> open;
  text::WRegex::Match match, classMatch;
  for (size_t at = 0; tag.Search(page, &match, at); at = match.end()) {
    if (match.groups[1].length() == 0) {
      view::PageCell cell;
      const std::u32string attributes = page.substr(match.groups[2].begin, match.groups[2].length());
      if (classPattern.Search(attributes, &classMatch))
        cell.className = attributes.substr(classMatch.groups[1].begin, classMatch.groups[1].length());
      open.push_back(Open{cells.size(), match.end()});
      cells.push_back(std::move(cell));
    } else if (!open.empty()) {
      cells[open.back().cell].markup = page.substr(open.back().contentBegin, match.begin() - open.back().contentBegin);
      open.pop_back();
    }
  }
  return cells;
}

// days 1: one day's page grown to 300 KB with programme descriptions (about
// 600 cells: 300 programmes, each a cell with a cell inside). days 7: the
// cells of seven converted days of natural size in one list, about 4,000;
// each day's IDs get a leading digit of their own (five-digit IDs), so every
// programme keeps its own.
Workload MakeWorkload(int days) {
  const fs::path root = bench::MakeTempDir("kanro-watch-bench");
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  fs::create_directories(root / "data");
  app::SetDataDir(root / "data");
  app::CreateDefaultFiles();

  Workload workload;
  sites::CGooHtmlCreater creater;
  for (int day = 9; day < 9 + days; ++day) {
    sites::SamplePageOptions sample;
    sample.day = day;
    if (days == 1) sample.targetBytes = 300000;
    const fs::path saved = root / "saved.html";
    const fs::path page = root / "page.htm";
    sites::WriteSamplePage(saved, sample);
    if (!creater.CreateData(saved, page, text::Utf8ToCp932("3/9（水）茨城県【地上波】"))) {
      std::fprintf(stderr, "conversion failed\n");
      std::exit(2);
    }
    const std::string bytes = ReadBytes(page);
    workload.pageBytes += bytes.size();
    const std::u32string wide = text::Cp932ToWide(bytes);
    for (view::PageCell& cell : CollectCells(wide)) {
      cell.markup = CapitalTagNames(cell.markup);
      for (size_t id = cell.markup.find(U"ID="); id != std::u32string::npos; id = cell.markup.find(U"ID=", id + 1))
        if (days > 1) cell.markup.insert(id + 3, 1, static_cast<char32_t>(U'1' + (day - 9)));
      workload.markupBytes += text::WideToCp932(cell.markup).size();
      workload.cells.push_back(std::move(cell));
    }
  }

  std::vector<std::string> ids;
  for (const view::PageCell& cell : workload.cells)
    view::ForEachWatchIdInMarkup(cell.markup, [&](std::string_view id) {
      ids.emplace_back(id);
      return false;
    });
  for (size_t i = 0; i < kMarks && !ids.empty(); ++i) workload.keys.push_back(ids[i * ids.size() / kMarks] + "08GooTv");

  std::error_code ignored;
  fs::remove_all(root, ignored);
  return workload;
}

const Workload& TheWorkload(int days) {
  static const Workload oneDay = MakeWorkload(1);
  static const Workload week = MakeWorkload(7);
  return days == 1 ? oneDay : week;
}

// Arguments: the days of the workload, and 1 for today's page (marks,
// summary and alerts) or 0 for another day's (marks only).
void BM_DecideWatchMarks(benchmark::State& state) {
  const Workload& workload = TheWorkload(static_cast<int>(state.range(0)));
  view::WatchMarkRequest request;
  request.keys = workload.keys;
  request.date = "20110309";
  request.entry = "08GooTv";
  request.today = state.range(1) != 0;
  request.now = app::FromLocalDate(2011, 3, 9, 5, 0, 0);
  size_t changes = 0;
  for (auto _ : state) {
    view::WatchMarkPass pass = view::DecideWatchMarks(workload.cells, request);
    changes = pass.changes.size();
    benchmark::DoNotOptimize(pass);
  }
  state.counters["cells"] = static_cast<double>(workload.cells.size());
  state.counters["page_KB"] = static_cast<double>(workload.pageBytes) / 1000.0;
  state.counters["markup_KB"] = static_cast<double>(workload.markupBytes) / 1000.0;
  state.counters["marks"] = static_cast<double>(workload.keys.size());
  state.counters["changes"] = static_cast<double>(changes);
}
BENCHMARK(BM_DecideWatchMarks)
    ->ArgNames({"days", "today"})
    ->Args({1, 1})
    ->Args({1, 0})
    ->Args({7, 1})
    ->Args({7, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
