// The sources that are not listing sites:
// - a download run of one tuner entry with 50 channels over 8 days (about
//   9,000 programmes) from the real tuner server (started here as the tests
//   start it; its answers are about 9 MB of JSON): fetch, layout and
//   composition of all header and data pages;
// - reading a 50 MB XMLTV file for one channel, in a child process that does
//   nothing else, reporting its peak resident memory before and after, to
//   show that the file is read as a stream.
//
//   bench_sources_bench [Google Benchmark options]
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "app/clock.h"
#include "app/listing_time.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "bench_temp_dir.h"
#include "fixtures/tuner_seed.h"
#include "fixtures/tuner_server.h"
#include "listing/download_thread.h"
#include "sources/xmltv_reader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChannels = 50;
constexpr int kDays = 8;

fs::path& Root() {
  static fs::path root = kanro::bench::MakeTempDir("kanro-sources-bench");
  return root;
}

// Programmes of 30, 90, 45, 60 and 75 minutes in turn from the next full
// hour on: an hour on average, 24 a day for each channel.
void Seed(QJsonArray* services, QJsonArray* programmes) {
  const int64_t now = kanro::app::Now();
  const int64_t first = now - now % 3600 + 3600;
  static const int kMinutes[] = {30, 90, 45, 60, 75};
  for (int c = 0; c < kChannels; ++c) {
    const int serviceId = 1000 + c;
    services->append(kanro::test::TunerService(32736, serviceId, ("チャンネル" + std::to_string(c + 1)).c_str(), 1, c + 1));
    int64_t start = first;
    for (int event = 1; start < first + kDays * 86400; ++event) {
      const int minutes = kMinutes[(event + c) % 5];
      QJsonObject p = kanro::test::TunerProgramme(32736, serviceId, event, start, minutes,
                                                  ("番組 " + std::to_string(c) + "-" + std::to_string(event)).c_str(),
                                                  (event + c) % 12, event % 7 == 1 ? 1 : 0);
      p["description"] = QString::fromUtf8("出演者と内容の説明が入ります。番組の見どころを紹介します。");
      programmes->append(p);
      start += minutes * 60;
    }
  }
}

kanro::test::RealTunerServer& Server() {
  static kanro::test::RealTunerServer server;
  return server;
}

void BM_TunerDownload50Channels8Days(benchmark::State& state) {
  kanro::app::SetDataDir(Root() / "data");
  WriteProfileString("URL", "Tuner", Server().BaseUrl());
  int pages = 0;
  for (auto _ : state) {
    kanro::listing::DOWNLOADPARAM param;
    param.days = kDays + 1;
    param.start = kanro::app::GetListingTime();
    param.force = true;
    param.programmes = "13TunerGr,";
    if (kanro::listing::DownloadThread(&param) != 0) state.SkipWithError("the run failed");
    pages = 0;
    for (const auto& entry : fs::directory_iterator(kanro::app::DataFolder())) pages += entry.is_regular_file() ? 1 : 0;
  }
  state.counters["pages"] = pages;
  state.counters["channels"] = kChannels;
}

// A national-style file: 400 channels, 8 days, long descriptions.
fs::path BigXmltv() {
  const fs::path path = Root() / "big.xml";
  if (fs::exists(path)) return path;
  std::ofstream out(path);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n";
  for (int c = 0; c < 400; ++c)
    out << "<channel id=\"ch" << c << ".example\"><display-name lang=\"ja\">局" << c << "</display-name></channel>\n";
  const std::string description(520, 'x');
  char time[32];
  for (int c = 0; c < 400; ++c) {
    for (int slot = 0; slot < kDays * 48; slot += 2) {
      const int day = 9 + slot / 48, hour = slot % 48 / 2;
      std::snprintf(time, sizeof time, "201103%02d%02d0000 +0900", day, hour);
      out << "<programme start=\"" << time << "\" channel=\"ch" << c << ".example\"><title lang=\"ja\">番組" << slot
          << "</title><desc lang=\"ja\">" << description << "</desc><category lang=\"en\">News</category></programme>\n";
    }
  }
  out << "</tv>\n";
  return path;
}

void BM_Xmltv50MBOneChannelPeakMemory(benchmark::State& state) {
  const fs::path file = BigXmltv();
  long before = 0, after = 0, kept = 0;
  for (auto _ : state) {
    int results[2];
    if (pipe(results) != 0) std::exit(2);
    const pid_t child = fork();
    if (child == 0) {
      close(results[0]);
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      long message[3] = {usage.ru_maxrss, 0, 0};
      kanro::sources::XmltvFilter filter;
      filter.channels = {"ch7.example"};
      kanro::sources::SourceSchedule schedule;
      std::string error;
      message[2] = kanro::sources::ReadXmltvFile(file, filter, &schedule, &error)
                       ? static_cast<long>(schedule.programmes.size())
                       : -1;
      getrusage(RUSAGE_SELF, &usage);
      message[1] = usage.ru_maxrss;
      _exit(write(results[1], message, sizeof message) == sizeof message ? 0 : 1);
    }
    close(results[1]);
    long message[3] = {0, 0, -1};
    const ssize_t got = read(results[0], message, sizeof message);
    close(results[0]);
    waitpid(child, nullptr, 0);
    if (got != sizeof message || message[2] < 0) state.SkipWithError("the read failed");
    before = message[0];
    after = message[1];
    kept = message[2];
  }
  state.counters["file_MB"] = static_cast<double>(fs::file_size(file)) / 1e6;
  state.counters["programmes_kept"] = static_cast<double>(kept);
  state.counters["rss_before_MB"] = static_cast<double>(before) / 1024;
  state.counters["growth_MB"] = static_cast<double>(after - before) / 1024;
}

}  // namespace

BENCHMARK(BM_TunerDownload50Channels8Days)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(BM_Xmltv50MBOneChannelPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  // Private settings, so the run never touches the user's own.
  setenv("XDG_CONFIG_HOME", (Root() / "config").c_str(), 1);
  QJsonArray services, programmes;
  Seed(&services, &programmes);
  std::printf("seeding the tuner server with %lld programmes\n", static_cast<long long>(programmes.size()));
  std::string why;
  if (!Server().Start(kanro::test::Json(services), kanro::test::Json(programmes), &why)) {
    std::fprintf(stderr, "tuner server: %s\n", why.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Server().Stop();
  std::error_code ec;
  fs::remove_all(Root(), ec);
  return 0;
}
