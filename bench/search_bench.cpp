// The keyword search over a week of downloaded listings: 80 data pages of about
// 300 KB (8 days x 10 listing entries) and 30 keywords of the kinds users
// write. Times the whole search, reading and decoding included, reports the
// peak heap while it runs, and compares with trying every line on its own.
//
//   bench_search_bench                          run the benchmarks
//   bench_search_bench --write-workload DIR     write DIR/Data/*.htm and
//                                               DIR/keywords.txt (UTF-8) for
//                                               other tools, then exit
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "search_workload.h"
#include "support/temp_dir.h"
#include "taskpane/keyword_search.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/text_file.h"

// Heap accounting: the bytes allocated now and the most at any time since the
// last reset, so the search's own peak can be told from the set-up's. Each
// block carries its size in a 16-byte header (keeps malloc's alignment).
namespace {
std::atomic<size_t> g_heapNow{0};
std::atomic<size_t> g_heapPeak{0};
constexpr size_t kHeader = 16;

void* CountedAlloc(size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &size, sizeof size);
  const size_t now = g_heapNow.fetch_add(size) + size;
  size_t peak = g_heapPeak.load();
  while (now > peak && !g_heapPeak.compare_exchange_weak(peak, now)) {
  }
  return block + kHeader;
}
void CountedFree(void* p) {
  if (!p) return;
  unsigned char* block = static_cast<unsigned char*>(p) - kHeader;
  size_t size = 0;
  std::memcpy(&size, block, sizeof size);
  g_heapNow.fetch_sub(size);
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return CountedAlloc(size); }
void* operator new[](size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { CountedFree(p); }
void operator delete[](void* p) noexcept { CountedFree(p); }
void operator delete(void* p, size_t) noexcept { CountedFree(p); }
void operator delete[](void* p, size_t) noexcept { CountedFree(p); }

namespace {

namespace fs = std::filesystem;
using kanro::taskpane::KeywordSearchRequest;
using kanro::bench::kEntries;
using kanro::bench::kFirstDay;
using kanro::bench::kKeywords;

// Writes the 80 pages into folder/Data and the keywords into folder/keywords.txt.
void WriteWorkload(const fs::path& folder) {
  kanro::bench::WriteSearchPages(folder / "Data");
  std::string keywords;
  for (const std::string& keyword : kKeywords) keywords += keyword + "\n";
  kanro::test::WriteAll(folder / "keywords.txt", keywords);
}

struct Workload {
  kanro::test::TempDir dir{"kanro-search-bench"};
  KeywordSearchRequest request;
  size_t pageBytes = 0;
  Workload() {
    WriteWorkload(dir.path());
    request.entries = kEntries;
    for (const std::string& keyword : kKeywords) request.keywords.push_back(kanro::text::Utf8ToCp932(keyword));
    request.today = kFirstDay;
    request.dataFolder = dir.path() / "Data";
    for (const auto& page : fs::directory_iterator(request.dataFolder)) pageBytes += page.file_size();
  }
};

Workload& TheWorkload() {
  static Workload workload;
  return workload;
}

void BM_KeywordSearch(benchmark::State& state) {
  const Workload& workload = TheWorkload();
  size_t results = 0;
  size_t heapPeak = 0;
  for (auto _ : state) {
    const size_t before = g_heapNow.load();
    g_heapPeak.store(before);
    const auto found = kanro::taskpane::RunKeywordSearch(workload.request);
    heapPeak = std::max(heapPeak, g_heapPeak.load() - before);
    results = 0;
    for (const auto& keyword : found) results += keyword.results.size();
    benchmark::DoNotOptimize(results);
  }
  state.counters["results"] = static_cast<double>(results);
  state.counters["heap_peak_MB"] = static_cast<double>(heapPeak) / (1024.0 * 1024.0);
  state.counters["pages_MB"] = static_cast<double>(workload.pageBytes) / (1024.0 * 1024.0);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * workload.pageBytes));
}
BENCHMARK(BM_KeywordSearch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The straightforward way with the same wrapper: every line decoded on its
// own and tried against every keyword. What the search is measured against.
void BM_LineByLineSearch(benchmark::State& state) {
  const Workload& workload = TheWorkload();
  std::vector<kanro::text::WRegex> regexes;
  for (const std::string& keyword : workload.request.keywords)
    regexes.emplace_back(kanro::text::Cp932ToWide(keyword));
  size_t results = 0;
  for (auto _ : state) {
    results = 0;
    for (const auto& page : fs::directory_iterator(workload.request.dataFolder)) {
      std::vector<bool> found(regexes.size(), false);
      kanro::text::ForEachLine(page.path(), [&](std::string& line) {
        const std::u32string wide = kanro::text::Cp932ToWide(line);
        for (size_t k = 0; k < regexes.size(); ++k)
          if (!found[k] && regexes[k].Search(wide)) found[k] = true;
        return true;
      });
      for (bool hit : found) results += hit;
    }
    benchmark::DoNotOptimize(results);
  }
  state.counters["results"] = static_cast<double>(results);
}
BENCHMARK(BM_LineByLineSearch)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Reading and decoding alone, the floor under any search.
void BM_ReadAndDecode(benchmark::State& state) {
  const Workload& workload = TheWorkload();
  for (auto _ : state) {
    size_t chars = 0;
    for (const auto& page : fs::directory_iterator(workload.request.dataFolder)) {
      const auto bytes = kanro::text::ReadFileBytes(page.path());
      if (bytes) chars += kanro::text::Cp932ToWide(*bytes).size();
    }
    benchmark::DoNotOptimize(chars);
  }
}
BENCHMARK(BM_ReadAndDecode)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-workload") == 0) {
    WriteWorkload(argv[2]);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
