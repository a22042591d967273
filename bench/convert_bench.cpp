// Page conversion speed: a ~300 KB goo page and a Yahoo page through the whole
// conversion (decode, site rewrites, white-space folding, the default rules,
// watch links, writing the page), and a 200 KB single line, also on a thread
// with a 1 MB stack.
//
//   bench_convert_bench                          the Google Benchmark runs
//   bench_convert_bench --write-workload DIR     80 goo pages in DIR/pages, the
//                                                default rules, and three perl
//                                                programs doing the conversion
//                                                (see bench/convert_vs_perl.sh)
//   bench_convert_bench --convert-workload DIR   converts DIR/pages into DIR/Data
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/default_files.h"
#include "app/paths.h"
#include "listing/active_content.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "sites/yahoo_html_creater.h"
#include "text/codepage.h"
#include "text/text_file.h"
// The perl programs come from the test sources (not built without tests).
#if __has_include("unit/sites/creater_perl_program.h")
#include "unit/sites/creater_perl_program.h"
#include "bench_temp_dir.h"
#define KANRO_HAVE_PERL_PROGRAM 1
#endif

namespace {

namespace fs = std::filesystem;
using kanro::sites::CGooHtmlCreater;
using kanro::sites::CYahooHtmlCreater;

constexpr size_t kPageBytes = 300000;

using kanro::bench::MakeTempDir;

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A private settings folder and a data folder with the default files, so the
// benchmark never touches the user's own settings or pages.
struct Environment {
  fs::path root = MakeTempDir("kanro-convert-bench");
  Environment() {
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    fs::create_directories(root / "data");
    kanro::app::SetDataDir(root / "data");
    kanro::app::CreateDefaultFiles();
  }
  ~Environment() {
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }
};

Environment& TheEnvironment() {
  static Environment environment;
  return environment;
}

fs::path SamplePage(const std::string& typeKey, const std::string& location, size_t bytes) {
  kanro::sites::SamplePageOptions sample;
  sample.typeKey = typeKey;
  sample.locationCode = location;
  sample.targetBytes = bytes;
  sample.lineEnd = kanro::sites::SampleLineEnd::CrLf;
  const fs::path path = TheEnvironment().root / (typeKey + ".page");
  if (!fs::exists(path)) kanro::sites::WriteSamplePage(path, sample);
  return path;
}

template <class Creater>
void ConvertPage(benchmark::State& state, const fs::path& page) {
  const fs::path out = TheEnvironment().root / "out.htm";
  const std::string title = kanro::text::Utf8ToCp932("3/9（水）茨城県【地上波】");
  Creater creater;
  for (auto _ : state) {
    if (!creater.CreateData(page, out, title)) state.SkipWithError("conversion failed");
    // A new page each time, as a download run writes them (replacing a page
    // adds a flush to disk, which measures the disk, not the conversion).
    state.PauseTiming();
    fs::remove(out);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(page)));
}

void BM_ConvertGooPage(benchmark::State& state) {
  ConvertPage<CGooHtmlCreater>(state, SamplePage("GooTv", "008", kPageBytes));
}
BENCHMARK(BM_ConvertGooPage)->Unit(benchmark::kMillisecond);

// The line work alone, without the file system: the lines of the page held
// in memory go through region test, decoding, every rewrite, white-space
// folding, the rules, the watch links and the active-content filter.
class InMemoryGooCreater : public CGooHtmlCreater {
 public:
  size_t ConvertAll(const std::vector<std::string>& lines) {
    BeginPage();
    m_filter.StartPage();
    size_t bytes = 0;
    for (const std::string& line : lines) {
      if (line.empty()) continue;
      m_line = line;
      if (!IsTarget()) continue;
      ConvertLine();
      ReplaceWatch();
      m_line += '\n';
      m_cleaned.clear();
      m_filter.Listing(m_line, m_cleaned);
      bytes += m_cleaned.size();
    }
    return bytes;
  }
  // The listing lines as they reach the filter.
  std::vector<std::string> Converted(const std::vector<std::string>& lines) {
    BeginPage();
    std::vector<std::string> out;
    for (const std::string& line : lines) {
      if (line.empty()) continue;
      m_line = line;
      if (!IsTarget()) continue;
      ConvertLine();
      ReplaceWatch();
      out.push_back(m_line + '\n');
    }
    return out;
  }

 private:
  kanro::listing::ActiveContentFilter m_filter;
  std::string m_cleaned;
};

std::vector<std::string> GooPageLines() {
  std::vector<std::string> lines;
  kanro::text::ForEachLine(SamplePage("GooTv", "008", kPageBytes), [&](std::string& line) {
    lines.push_back(line);
    return true;
  });
  return lines;
}

// The active-content filter alone, over the converted lines of the page.
void BM_ActiveContentFilter(benchmark::State& state) {
  InMemoryGooCreater creater;
  const std::vector<std::string> lines = creater.Converted(GooPageLines());
  size_t total = 0;
  for (const std::string& line : lines) total += line.size();
  kanro::listing::ActiveContentFilter filter;
  std::string out;
  for (auto _ : state) {
    filter.StartPage();
    for (const std::string& line : lines) {
      out.clear();
      filter.Listing(line, out);
      benchmark::DoNotOptimize(out.data());
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * total));
}
BENCHMARK(BM_ActiveContentFilter)->Unit(benchmark::kMillisecond);

void BM_ConvertGooLines(benchmark::State& state) {
  const std::vector<std::string> lines = GooPageLines();
  InMemoryGooCreater creater;
  for (auto _ : state) benchmark::DoNotOptimize(creater.ConvertAll(lines));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPageBytes));
}
BENCHMARK(BM_ConvertGooLines)->Unit(benchmark::kMillisecond);

void BM_ConvertYahooPage(benchmark::State& state) {
  ConvertPage<CYahooHtmlCreater>(state, SamplePage("YahooAm", "23", kPageBytes));
}
BENCHMARK(BM_ConvertYahooPage)->Unit(benchmark::kMillisecond);

// One listing line of 200 KB: programme cells without line breaks.
fs::path HugeLinePage() {
  const fs::path path = TheEnvironment().root / "huge.page";
  if (fs::exists(path)) return path;
  std::string cells;
  for (int i = 0; cells.size() < 200000; ++i)
    cells += "<td  class=\"genre_01\"><a href=\"/contents/program/" + std::to_string(i) +
             ".html\"><strong>5:00</strong> <strong><img src=\"/tv/img/icon/shinban.gif\" alt=\"new\">Title " +
             std::to_string(i) + "</strong></a></td><td align=\"right\"><a href=\"/iepg\">iEPG</a></td>";
  WriteBytes(path, "<!--ch_top-->\r\n" + cells + "\r\n<!--ch_bottom-->\r\n");
  return path;
}

void BM_ConvertHugeLine(benchmark::State& state) { ConvertPage<CGooHtmlCreater>(state, HugeLinePage()); }
BENCHMARK(BM_ConvertHugeLine)->Unit(benchmark::kMillisecond);

struct ThreadJob {
  fs::path page;
  bool ok = false;
  double seconds = 0;
};

void* ConvertOnThread(void* arg) {
  auto* job = static_cast<ThreadJob*>(arg);
  CGooHtmlCreater creater;
  const auto start = std::chrono::steady_clock::now();
  job->ok = creater.CreateData(job->page, TheEnvironment().root / "huge.htm", "t");
  job->seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return nullptr;
}

// The same line on a thread with a 1 MB stack; the time is the conversion's
// own, measured on that thread.
void BM_ConvertHugeLineOn1MbStack(benchmark::State& state) {
  ThreadJob job{HugeLinePage()};
  for (auto _ : state) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 1 << 20);
    pthread_t thread;
    if (pthread_create(&thread, &attr, ConvertOnThread, &job) != 0) state.SkipWithError("no thread");
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
    if (!job.ok) state.SkipWithError("conversion failed");
    state.SetIterationTime(job.seconds);
  }
}
BENCHMARK(BM_ConvertHugeLineOn1MbStack)->UseManualTime()->Unit(benchmark::kMillisecond);

// ---- The comparison with perl ------------------------------------------------

#ifdef KANRO_HAVE_PERL_PROGRAM
// The perl programs (see creater_perl_program.h) for the default settings and
// the rules of Replace.txt.
enum class PerlVariant {
  Exact,       // the converter's whole work, byte for byte
  EncodeEucJp, // the same with Encode's (XS) EUC-JP decoder
  RawBytes,    // the rewrites alone, on the page's bytes
};

std::string PerlProgram(const fs::path& rulesPath, PerlVariant variant) {
  const bool withCodePages = variant != PerlVariant::RawBytes;
  kanro::test::PerlConverterOptions options;
  options.rawBytes = !withCodePages;
  options.encodeEucJp = variant == PerlVariant::EncodeEucJp;
  kanro::text::ForEachLine(rulesPath, [&](std::string& line) {
    const size_t tab1 = line.find('\t');
    const size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || line.substr(tab2 + 1) != "1") return true;
    std::string pattern = line.substr(0, tab1);
    std::string replacement = line.substr(tab1 + 1, tab2 - tab1 - 1);
    if (withCodePages) {
      pattern = kanro::text::Cp932ToUtf8(pattern);
      replacement = kanro::text::Cp932ToUtf8(replacement);
    }
    options.rules.emplace_back(pattern, replacement);
    return true;
  });
  return kanro::test::PerlConverterProgram(options);
}

#endif

void WriteWorkload(const fs::path& dir) {
  fs::create_directories(dir / "pages");
  // 8 days x 10 goo entries (ten prefectures' terrestrial listings).
  int written = 0;
  for (int day = 9; day < 17; ++day) {
    for (int prefecture = 1; prefecture <= 10; ++prefecture) {
      kanro::sites::SamplePageOptions sample;
      sample.typeKey = "GooTv";
      char code[8];
      std::snprintf(code, sizeof code, "%03d", prefecture);
      sample.locationCode = code;
      sample.day = day;
      sample.targetBytes = kPageBytes;
      sample.lineEnd = kanro::sites::SampleLineEnd::CrLf;
      char name[64];
      std::snprintf(name, sizeof name, "201103%02d%02dGooTv.html", day, prefecture);
      kanro::sites::WriteSamplePage(dir / "pages" / name, sample);
      ++written;
    }
  }
  fs::copy_file(kanro::app::RulesPath(), dir / "Replace.txt", fs::copy_options::overwrite_existing);
#ifdef KANRO_HAVE_PERL_PROGRAM
  WriteBytes(dir / "convert.pl", PerlProgram(dir / "Replace.txt", PerlVariant::Exact));
  WriteBytes(dir / "convert_encode.pl", PerlProgram(dir / "Replace.txt", PerlVariant::EncodeEucJp));
  WriteBytes(dir / "convert_bytes.pl", PerlProgram(dir / "Replace.txt", PerlVariant::RawBytes));
#else
  std::printf("built without the tests: no perl programs written\n");
#endif
  std::printf("%d pages in %s\n", written, (dir / "pages").c_str());
}

int ConvertWorkload(const fs::path& dir) {
  fs::create_directories(dir / "Data");
  kanro::app::SetDataDir(dir);  // the workload's own Replace.txt
  std::vector<fs::path> pages;
  for (const auto& entry : fs::directory_iterator(dir / "pages")) pages.push_back(entry.path());
  const auto start = std::chrono::steady_clock::now();
  CGooHtmlCreater creater;
  int failed = 0;
  for (const fs::path& page : pages) {
    const fs::path out = dir / "Data" / page.filename().replace_extension(".htm");
    failed += creater.CreateData(page, out, "t") ? 0 : 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("kanro: %zu pages converted in %.3f s (%d failed)\n", pages.size(), seconds, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-workload") == 0) {
    TheEnvironment();
    WriteWorkload(argv[2]);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--convert-workload") == 0) {
    TheEnvironment();
    return ConvertWorkload(argv[2]);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TheEnvironment();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
