// Throughput of the regex wrapper on the work the program does most: the
// site rewrites over a ~300 KB listing page (CP932, line by line) and a
// keyword search over a large wide buffer.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "text/codepage.h"
#include "text/regex.h"

namespace {

using kanro::text::Regex;
using kanro::text::WRegex;

// HTML-like listing lines in CP932, about 300 KB in all.
const std::vector<std::string>& PageLines() {
  static const std::vector<std::string> lines = [] {
    std::vector<std::string> out;
    size_t total = 0;
    for (int i = 0; total < 300 * 1024; ++i) {
      const std::string n = std::to_string(i);
      std::string utf8 =
          "  <td valign=\"top\"   class=\"genre_" + std::to_string(i % 7) + "\">\t<a href=\"/tv/prog/" + n +
          "\"><img src=\"/tv/img/icon/shinban.gif\" alt=\"新番組\"><strong>" + std::to_string(5 + i % 19) +
          ":" + std::to_string(10 + i % 50) + "</strong> <strong>ニュース・天気予報 第" + n +
          "回</strong></a></td><td align=\"right\"><a href=\"/iepg.tvpi?id=" + n +
          "\"><img src=\"/tv/img/icon/iepg.gif\" alt=\"iEPG\"></a></td>   ";
      out.push_back(kanro::text::Utf8ToCp932(utf8));
      total += out.back().size();
    }
    return out;
  }();
  return lines;
}

size_t PageBytes() {
  size_t total = 0;
  for (const std::string& line : PageLines()) total += line.size();
  return total;
}

void RunRewrite(benchmark::State& state, const char* pattern, const char* format) {
  const Regex re(kanro::text::Utf8ToCp932(pattern));
  const std::string replacement = kanro::text::Utf8ToCp932(format);
  const auto& lines = PageLines();
  std::string out;
  for (auto _ : state) {
    size_t replaced = 0;
    for (const std::string& line : lines) {
      out.clear();
      replaced += re.ReplaceAllInto(line, replacement, out);
    }
    benchmark::DoNotOptimize(replaced);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(PageBytes()));
}

void BM_CollapseWhiteSpace(benchmark::State& state) { RunRewrite(state, "\\s+", " "); }
void BM_RemoveAlt(benchmark::State& state) { RunRewrite(state, "alt=\".*?\"", ""); }
void BM_LinkToText(benchmark::State& state) { RunRewrite(state, "<a\\s+href.*?>(.*?)</a>", "$1"); }
void BM_NewSeriesMarker(benchmark::State& state) {
  RunRewrite(state, "shinban.gif.*?>(.*?)</strong>..*?</a>",
             "$0<span style=\"display: none;\">【新】$1</span>");
}
void BM_WatchPlaceholder(benchmark::State& state) {
  RunRewrite(state, "<td\\s+.*?<strong>(.*?)</strong>.*?<strong>(.*?)</strong></a>",
             "$& <a placeholder=\"TIME=$1&TITLE=$2end_of_placeholder\"><img src=\"../Image/watch.gif\" "
             "border=\"0\"></a>");
}
void BM_RemoveRightCells(benchmark::State& state) { RunRewrite(state, "<td align=\"right\">.*?</td>", ""); }

// One keyword over ~24 MB of wide text (many days of pages decoded at once).
void BM_WideKeywordSearch(benchmark::State& state) {
  std::u32string buffer;
  for (const std::string& line : PageLines()) {
    buffer += kanro::text::Cp932ToWide(line);
    buffer += U'\n';
  }
  while (buffer.size() * sizeof(char32_t) < 24u * 1024 * 1024) buffer += buffer.substr(0, buffer.size() / 2);
  // A keyword that never occurs, and one that occurs on every tenth line.
  const WRegex keyword(kanro::text::Utf8ToWide(state.range(0) == 0 ? "映画|特集" : "予報 第\\d*7回"));
  size_t hits = 0;
  for (auto _ : state) {
    hits = 0;
    WRegex::Match m;
    for (size_t at = 0; keyword.Search(buffer, &m, at); at = m.end() > m.begin() ? m.end() : m.end() + 1) ++hits;
    benchmark::DoNotOptimize(hits);
  }
  state.counters["hits"] = double(hits);
  state.counters["MB"] = double(buffer.size() * sizeof(char32_t)) / (1024 * 1024);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size() * sizeof(char32_t)));
}

}  // namespace

BENCHMARK(BM_CollapseWhiteSpace);
BENCHMARK(BM_RemoveAlt);
BENCHMARK(BM_LinkToText);
BENCHMARK(BM_NewSeriesMarker);
BENCHMARK(BM_WatchPlaceholder);
BENCHMARK(BM_RemoveRightCells);
BENCHMARK(BM_WideKeywordSearch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
