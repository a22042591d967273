#pragma once
// The keyword-search workload the search and task-pane benchmarks share, so
// their numbers compare: a week and a day of listings (80 data pages of about
// 300 KB for ten listing entries) and 30 keywords.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "unit/taskpane/data_pages.h"

namespace kanro::bench {

inline constexpr int kFirstDay = 20110309;
inline constexpr int kDays = 8;
inline constexpr size_t kPageBytes = 300 * 1024;

inline const std::vector<std::string> kEntries = {"08GooTv", "08GooBsDisital", "08GooUhfBs", "08YahooAm",
                                                  "08YahooFm", "13GooTv", "14GooTv", "11GooTv",
                                                  "27GooTv", "27YahooFm"};

// Plain words that hit and that never hit, patterns with .*, alternations,
// character classes and white space (UTF-8; valid for other engines too).
inline const std::vector<std::string> kKeywords = {
    "ニュース", "天気予報", "映画", "サッカー", "アニメ", "料理", "ドキュメンタリー", "将棋", "英会話", "ＮＨＫ",
    "存在しない番組", "宇宙戦艦", "競馬中継", "オペラ", "大河ドラマ総集編",
    "【新】.*", "ドラマ.*最終回", "映画.*字幕", "野球.*生中継", "News.*Live",
    "サッカー|野球|ゴルフ", "相撲|テニス|囲碁",
    "第[0-9]+話", "[①-⑳]", "Ⅱ[^<]*再放送",
    "天気予報\\s+映画", "料理\\s+旅",
    "SPORTS", "ｱﾆﾒ", "歴史.*科学"};

// Writes the 80 pages into dataFolder, named as the download names them.
inline void WriteSearchPages(const std::filesystem::path& dataFolder) {
  std::filesystem::create_directories(dataFolder);
  for (int day = 0; day < kDays; ++day) {
    for (size_t entry = 0; entry < kEntries.size(); ++entry) {
      const std::string name = std::to_string(kFirstDay + day) + kEntries[entry] + ".htm";
      kanro::test::DataPageMaker maker(static_cast<uint32_t>(day * 100 + entry + 1));
      kanro::test::WriteAll(dataFolder / name, maker.Make(kPageBytes));
    }
  }
}

}  // namespace kanro::bench
