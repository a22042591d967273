// The automatic watch rules over a week and a day of listings: 100 rules of
// the kinds users write (plain words, limits by listing, channel, weekday and
// time, anchors, alternations, a few that never hit) against 8 days x 10
// listing entries of about 240 programmes each (about 19,000 programmes).
// Times the matching alone, and the matching with the marks stored in the
// watch lists (the settings store included), as `watch auto` runs them once
// the pages are read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/settings_store.h"
#include "bench_temp_dir.h"
#include "taskpane/auto_watch.h"
#include "text/codepage.h"

namespace {

using kanro::app::AutoWatchRule;
using kanro::taskpane::RulePage;

constexpr int kFirstDay = 20110309;
constexpr int kDays = 8;
const std::vector<std::string> kEntries = {"08GooTv",  "08GooBsDisital", "08GooUhfBs", "08YahooAm", "08YahooFm",
                                           "13GooTv",  "14GooTv",        "11GooTv",    "27GooTv",   "27YahooFm"};
const std::vector<std::string> kWords = {"ニュース", "天気予報", "映画",     "サッカー", "アニメ", "料理",
                                         "ドキュメンタリー", "将棋", "英会話", "ドラマ",   "野球",   "旅",
                                         "歴史",     "科学",     "音楽",     "バラエティー", "時代劇", "相撲"};
const std::vector<std::string> kChannels = {"ＮＨＫ総合", "ＮＨＫ教育", "日本テレビ", "ＴＢＳ",     "フジテレビ",
                                            "テレビ朝日", "テレビ東京", "ＭＸテレビ", "放送大学", "ラジオ日本"};

std::vector<RulePage> MakePages() {
  std::mt19937 random(42);
  std::vector<RulePage> pages;
  for (int day = 0; day < kDays; ++day) {
    for (const std::string& entry : kEntries) {
      RulePage page{entry, {}};
      page.day.date = kFirstDay + day;
      for (const std::string& name : kChannels) page.day.channels.push_back({name, "", "", ""});
      int id = 1;
      for (size_t channel = 0; channel < kChannels.size(); ++channel) {
        for (int start = 300; start < 1740;) {
          const int length = 30 + static_cast<int>(random() % 4) * 15;
          kanro::exports::ListingProgramme programme;
          programme.channel = channel;
          programme.startMinute = start;
          programme.stopMinute = std::min(start + length, 1740);
          programme.title = kWords[random() % kWords.size()] + "「" + kWords[random() % kWords.size()] + "と" +
                            kWords[random() % kWords.size()] + "」第" + std::to_string(random() % 30 + 1) + "話";
          programme.description = "出演者 " + kWords[random() % kWords.size()] + "の専門家がわかりやすく解説します。" +
                                  kWords[random() % kWords.size()] + "の最新情報も。";
          programme.isNew = random() % 40 == 0;
          char watchId[16];
          std::snprintf(watchId, sizeof watchId, "%04d", id++);
          programme.watchId = watchId;
          page.day.programmes.push_back(std::move(programme));
          start += length;
        }
      }
      pages.push_back(std::move(page));
    }
  }
  return pages;
}

std::vector<AutoWatchRule> MakeRules() {
  const auto rule = [](const std::string& pattern, const std::string& programs = "", const std::string& channels = "",
                       const std::string& weekdays = "", const std::string& time = "") {
    AutoWatchRule r;
    r.pattern = kanro::text::Utf8ToCp932(pattern);
    r.programs = programs;
    r.channels = kanro::text::Utf8ToCp932(channels);
    r.weekdays = weekdays;
    r.time = time;
    return r;
  };
  std::vector<AutoWatchRule> rules;
  // Narrow rules as users keep them: a word and a title, often limited.
  for (size_t i = 0; rules.size() < 40; ++i) {
    const std::string& a = kWords[i % kWords.size()];
    const std::string& b = kWords[(i * 7 + 3) % kWords.size()];
    rules.push_back(rule(a + "「" + b, i % 3 ? "" : kEntries[i % kEntries.size()] + ","));
  }
  for (size_t i = 0; rules.size() < 60; ++i)
    rules.push_back(rule(kWords[i % kWords.size()] + ".*第" + std::to_string(i % 30 + 1) + "話", "",
                         kChannels[i % kChannels.size()], i % 2 ? "12345" : "06", i % 3 ? "19:00-23:00" : "23:00-02:00"));
  for (size_t i = 0; rules.size() < 75; ++i)
    rules.push_back(rule("^" + kWords[i % kWords.size()] + "「" + kWords[(i + 5) % kWords.size()]));
  for (size_t i = 0; rules.size() < 85; ++i)
    rules.push_back(rule("(" + kWords[i % kWords.size()] + "|" + kWords[(i + 1) % kWords.size()] + ")と(" +
                         kWords[(i + 2) % kWords.size()] + "|" + kWords[(i + 3) % kWords.size()] + ")」"));
  for (size_t i = 0; rules.size() < 95; ++i)
    rules.push_back(rule(std::string("存在しない番組") + std::to_string(i)));
  rules.push_back(rule("【新】.*"));
  rules.push_back(rule("第[12]話$", "08GooTv,13GooTv,"));
  rules.push_back(rule("専門家.*最新情報", "", "ＮＨＫ総合", "0", "05:00-09:00"));
  rules.push_back(rule("天気予報\\s+映画"));
  rules.push_back(rule("ニュース", "", "", "", "04:30-05:30"));
  return rules;
}

size_t Programmes(const std::vector<RulePage>& pages) {
  size_t count = 0;
  for (const RulePage& page : pages) count += page.day.programmes.size();
  return count;
}

void BM_MatchRules(benchmark::State& state) {
  const std::vector<RulePage> pages = MakePages();
  const std::vector<AutoWatchRule> rules = MakeRules();
  size_t hits = 0;
  for (auto _ : state) {
    const auto results = kanro::taskpane::MatchRules(rules, pages, {});
    hits = 0;
    for (const auto& result : results) hits += result.hits.size();
    benchmark::DoNotOptimize(hits);
  }
  state.counters["programmes"] = static_cast<double>(Programmes(pages));
  state.counters["rules"] = static_cast<double>(rules.size());
  state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_MatchRules)->Unit(benchmark::kMillisecond);

void BM_MatchAndStoreMarks(benchmark::State& state) {
  const std::vector<RulePage> pages = MakePages();
  const std::vector<AutoWatchRule> rules = MakeRules();
  int marked = 0;
  for (auto _ : state) {
    state.PauseTiming();
    kanro::app::DeleteAllProfileValues();
    state.ResumeTiming();
    const auto report = kanro::taskpane::StoreRuleMarks(kanro::taskpane::MatchRules(rules, pages, {}), pages, kFirstDay);
    marked = report.marked;
    benchmark::DoNotOptimize(marked);
  }
  state.counters["marked"] = marked;
  kanro::app::DeleteAllProfileValues();
}
BENCHMARK(BM_MatchAndStoreMarks)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Settings go to a private folder, never the user's.
  const std::filesystem::path folder = kanro::bench::MakeTempDir("kanro-auto-watch-bench");
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(folder);
  return 0;
}
