#pragma once
// Data pages as the converters write them (CP932 HTML, one programme cell per
// line, CR LF), generated from a seed, for the keyword search's tests and
// benchmark. Deterministic: the same seed and size give the same bytes.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "text/codepage.h"

namespace kanro::test {

// The words programme titles and descriptions are made of (UTF-8).
inline const std::vector<std::string>& DataPageWords() {
  static const std::vector<std::string> words = {
      "ニュース", "天気予報", "ドラマ", "映画", "サッカー", "野球", "アニメ", "料理", "旅", "音楽",
      "クイズ", "ドキュメンタリー", "特集", "最終回", "再放送", "字幕", "生中継", "バラエティー", "将棋", "囲碁",
      "歴史", "科学", "自然", "動物", "経済", "ゴルフ", "相撲", "テニス", "英会話", "趣味",
      "ＮＨＫ", "ＢＳ", "ｱﾆﾒ", "①", "Ⅱ", "～", "（終）", "「春」", "東京", "大阪",
      "News", "Live", "SPORTS", "drama", "2011", "第1話", "第12話", "全国", "地域", "季節"};
  return words;
}

class DataPageMaker {
 public:
  explicit DataPageMaker(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}

  // A page of about targetBytes bytes (CP932). lineEnd is what ends each line.
  std::string Make(size_t targetBytes, const std::string& lineEnd = "\r\n") {
    std::string utf8;
    utf8 += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">" + lineEnd;
    utf8 += "<html lang=\"ja\">" + lineEnd + "<head>" + lineEnd;
    utf8 += "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">" + lineEnd;
    utf8 += "  <title>番組表</title>" + lineEnd + "</head>" + lineEnd + "<body>" + lineEnd;
    utf8 += "<table class=\"program\">" + lineEnd;
    // Japanese text is about two thirds of its UTF-8 size in CP932.
    const size_t target = targetBytes * 3 / 2;
    int hour = 5;
    int programme = 0;
    while (utf8.size() < target) {
      utf8 += "<tr><th class=\"epg_td_time\"><a name=\"" + std::to_string(hour) + "\">" + std::to_string(hour) +
              "</a></th>" + lineEnd;
      for (int channel = 0; channel < 8 && utf8.size() < target; ++channel) {
        utf8 += Cell(hour, programme++);
        utf8 += lineEnd;
      }
      utf8 += "</tr>" + lineEnd;
      hour = hour == 28 ? 5 : hour + 1;
    }
    utf8 += "</table></body></html>";
    return text::Utf8ToCp932(utf8);
  }

 private:
  uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }
  const std::string& Word() { return DataPageWords()[Next() % DataPageWords().size()]; }

  std::string Cell(int hour, int programme) {
    char head[160];
    std::snprintf(head, sizeof head, "<td class=\"genre_%02u\" rowspan=\"%u\" valign=\"top\"><strong>%d:%02u</strong> ",
                  Next() % 16, 1 + Next() % 6, hour % 24, (Next() % 12) * 5);
    std::string cell = head;
    cell += "<a href=\"prp://watch?ID=" + std::to_string(programme) + "\"><strong>";
    if (Next() % 10 == 0) cell += "<span style=\"display:none\">【新】</span>";
    const unsigned titleWords = 1 + Next() % 3;
    for (unsigned i = 0; i < titleWords; ++i) cell += Word();
    cell += "</strong></a> ";
    const unsigned words = 4 + Next() % 20;
    for (unsigned i = 0; i < words; ++i) {
      cell += Word();
      const unsigned gap = Next() % 8;
      cell += gap == 0 ? "\xE3\x80\x80" : gap == 1 ? "  " : gap < 5 ? " " : "";
    }
    cell += "</td>";
    return cell;
  }

  uint32_t state_;
};

}  // namespace kanro::test
