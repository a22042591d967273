// Export speed: 80 data pages (8 days x 10 listing entries, about 300 KB
// each, converted by the real site converters) to one XMLTV document, and
// the page reader on one page.
//
//   bench_export_bench               the Google Benchmark runs
//   bench_export_bench --rss DAYS    exports DAYS days once and prints the
//                                    peak resident memory, to compare 1 and 8
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/default_files.h"
#include "app/paths.h"
#include "export/listing_page_reader.h"
#include "export/xmltv_export.h"
#include "sites/goo_html_creater.h"
#include "sites/sample_pages.h"
#include "sites/yahoo_html_creater.h"
#include "bench_temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kPageBytes = 300000;
constexpr int kFirstDate = 20110309;
constexpr int kDays = 8;

using kanro::bench::MakeTempDir;

struct Entry {
  const char* entry;
  const char* type;
  const char* code;
};

constexpr Entry kEntries[] = {
    {"08GooTv", "GooTv", "008"},     {"08GooBsDisital", "GooBsDisital", "008"}, {"08GooUhfBs", "GooUhfBs", "008"},
    {"08YahooAm", "YahooAm", "23"},  {"08YahooFm", "YahooFm", "23"},            {"13GooTv", "GooTv", "013"},
    {"13GooBsDisital", "GooBsDisital", "013"}, {"13GooUhfBs", "GooUhfBs", "013"}, {"13YahooAm", "YahooAm", "28"},
    {"13YahooFm", "YahooFm", "28"},
};

// A private settings folder and a data folder with 80 converted pages.
struct Environment {
  fs::path root = MakeTempDir("kanro-export-bench");
  size_t dataBytes = 0;
  Environment() {
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    fs::create_directories(root / "data");
    kanro::app::SetDataDir(root / "data");
    kanro::app::CreateDefaultFiles();
    fs::create_directories(kanro::app::DataFolder());
    fs::create_directories(kanro::app::HeadFolder());
    kanro::sites::CGooHtmlCreater goo;
    kanro::sites::CYahooHtmlCreater yahoo;
    for (int d = 0; d < kDays; ++d) {
      for (const Entry& entry : kEntries) {
        kanro::sites::SamplePageOptions options;
        options.typeKey = entry.type;
        options.locationCode = entry.code;
        options.year = 2011;
        options.month = 3;
        options.day = 9 + d;
        options.targetBytes = kPageBytes;
        const fs::path downloaded = root / "page.download";
        kanro::sites::WriteSamplePage(downloaded, options);
        kanro::listing::CHtmlCreater& creater =
            kanro::sites::IsGooSampleType(entry.type) ? static_cast<kanro::listing::CHtmlCreater&>(goo) : yahoo;
        const fs::path head = kanro::app::HeadFolder() / (std::string(entry.entry) + ".htm");
        const fs::path data = kanro::app::DataFolder() / (std::to_string(kFirstDate + d) + entry.entry + ".htm");
        if (!fs::exists(head)) creater.CreateHead(downloaded, head);
        creater.CreateData(downloaded, data, "bench");
        dataBytes += fs::file_size(data);
      }
    }
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

// Counts what is written and keeps nothing, like a pipe to another program.
class CountingBuffer : public std::streambuf {
 public:
  size_t bytes = 0;

 protected:
  std::streamsize xsputn(const char*, std::streamsize count) override {
    bytes += static_cast<size_t>(count);
    return count;
  }
  int_type overflow(int_type c) override {
    ++bytes;
    return traits_type::not_eof(c);
  }
};

kanro::exports::XmltvExportOptions Options(int days) {
  kanro::exports::XmltvExportOptions options;
  for (const Entry& entry : kEntries) options.entries.push_back(entry.entry);
  options.firstDate = kFirstDate;
  options.days = days;
  options.dataFolder = kanro::app::DataFolder();
  options.headFolder = kanro::app::HeadFolder();
  return options;
}

void BM_XmltvExport(benchmark::State& state) {
  Environment& environment = TheEnvironment();
  const int days = static_cast<int>(state.range(0));
  kanro::exports::ExportReport report;
  size_t written = 0;
  for (auto _ : state) {
    CountingBuffer buffer;
    std::ostream out(&buffer);
    report = {};
    if (!kanro::exports::ExportXmltv(Options(days), out, &report)) state.SkipWithError("the export failed");
    written = buffer.bytes;
  }
  state.counters["pages"] = report.pagesRead;
  state.counters["programmes"] = report.programmesWritten;
  state.counters["xml_MB"] = static_cast<double>(written) / 1e6;
  state.counters["input_MB"] = static_cast<double>(environment.dataBytes) * days / kDays / 1e6;
}
BENCHMARK(BM_XmltvExport)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadOnePage(benchmark::State& state) {
  TheEnvironment();
  const std::string entry = state.range(0) == 0 ? "08GooTv" : "08YahooAm";
  const fs::path head = kanro::app::HeadFolder() / (entry + ".htm");
  const fs::path data = kanro::app::DataFolder() / (std::to_string(kFirstDate) + entry + ".htm");
  size_t programmes = 0;
  for (auto _ : state) {
    const kanro::exports::PageReadResult read = kanro::exports::ReadListingPages(head, data, kFirstDate);
    programmes = read.day.programmes.size();
    benchmark::DoNotOptimize(programmes);
  }
  state.SetLabel(entry);
  state.counters["programmes"] = static_cast<double>(programmes);
  state.counters["page_KB"] = static_cast<double>(fs::file_size(data)) / 1e3;
}
BENCHMARK(BM_ReadOnePage)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A line of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"); -1 if absent.
long StatusKilobytes(const char* key) {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long value = -1;
  while (std::fgets(line, sizeof line, status))
    if (std::strncmp(line, key, std::strlen(key)) == 0) value = std::atol(line + std::strlen(key));
  std::fclose(status);
  return value;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--rss") == 0) {
    TheEnvironment();  // the pages are made before the measurement starts
    // Resets the peak resident size, so the peak below is the export's own.
    if (std::FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
      std::fputs("5", clear);
      std::fclose(clear);
    }
    const long before = StatusKilobytes("VmRSS:");
    CountingBuffer buffer;
    std::ostream out(&buffer);
    kanro::exports::ExportReport report;
    kanro::exports::ExportXmltv(Options(std::atoi(argv[2])), out, &report);
    std::printf("days %s: %d pages, %zu bytes of XMLTV; resident %ld KB before, peak %ld KB during the export\n",
                argv[2], report.pagesRead, buffer.bytes, before, StatusKilobytes("VmHWM:"));
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
