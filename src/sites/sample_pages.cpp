#include "sites/sample_pages.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>

#include "text/codepage.h"

namespace kanro::sites {
namespace {

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 <= result < bound (bound > 0)
  int Below(int bound) { return static_cast<int>(Next() % static_cast<uint64_t>(bound)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  uint64_t state_;
};

uint64_t Mix(uint64_t hash, std::string_view bytes) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

uint64_t OptionsHash(const SamplePageOptions& options, std::string_view purpose) {
  uint64_t hash = 0xCBF29CE484222325ull;
  hash = Mix(hash, options.typeKey);
  hash = Mix(hash, "|");
  hash = Mix(hash, options.locationCode);
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "|%d|%d|%d|%u|", options.year, options.month, options.day, options.seed);
  hash = Mix(hash, numbers);
  return Mix(hash, purpose);
}

struct Genre {
  int number;
  std::vector<const char*> titles;
};

// Programme titles by genre (UTF-8). Invented, in the style of Japanese listings.
const std::vector<Genre>& TvGenres() {
  static const std::vector<Genre> genres = {
      {0, {"朝のニュース", "ニュース・気象情報", "正午ニュース", "夕方ニュースワイド", "ニュース深夜便", "報道特集スペシャル"}},
      {1, {"プロ野球中継", "サッカー天皇杯", "大相撲春場所", "スポーツダイジェスト", "マラソン中継", "ゴルフ・春の選手権"}},
      {2, {"朝の情報ワイド", "お昼のワイドショー", "暮らしの知恵袋", "週末お出かけ情報", "グルメ探訪"}},
      {3, {"連続ドラマ・春の風", "刑事たちの午後", "時代劇・江戸の月", "医療ドラマ・白い廊下", "土曜ドラマ・港町物語"}},
      {4, {"歌謡ステージ", "音楽の扉", "ミュージックステーション夜", "クラシック名演奏", "演歌の花道"}},
      {5, {"お笑い劇場", "クイズ・知の挑戦", "バラエティー・笑顔の時間", "ものまね王座決定戦", "旅の達人"}},
      {6, {"名作映画劇場", "土曜洋画劇場", "日本映画名作選"}},
      {7, {"アニメ・星の少年", "アニメ・まほうのほうき", "特撮ヒーロー・ライトマン", "こども劇場"}},
      {8, {"ドキュメント・海の記憶", "世界遺産紀行", "歴史の証言", "科学の窓", "自然百景"}},
      {10, {"趣味の園芸", "きょうの料理", "英会話入門", "囲碁・将棋の時間", "健康講座"}},
  };
  return genres;
}

const std::vector<Genre>& RadioGenres() {
  static const std::vector<Genre> genres = {
      {0, {"ラジオニュース", "ニュースと天気", "朝のラジオ新聞"}},
      {1, {"ナイター中継", "競馬実況", "スポーツアワー"}},
      {4, {"歌謡曲の時間", "ミュージック♥ナイト", "ジャズの夜", "クラシック・カフェ", "ヒットチャート・カウントダウン"}},
      {5, {"深夜のおしゃべり", "お昼の電話相談", "朗読の時間", "笑いの小劇場"}},
      {10, {"基礎英語", "ラジオ体操", "朝の健康相談", "株式市況"}},
  };
  return genres;
}

const std::array<const char*, 12> kSentences = {
    "今夜のテーマは春の旅。",
    "全国各地から最新の話題をお届けします。",
    "ゲストを迎えてじっくりと語り合う。",
    "視聴者からのおたよりも紹介。",
    "番組後半では特集をお送りします。",
    "ふるさとの味を訪ねて、港町の食堂へ。",
    "出演者が思い出の場所を案内する。",
    "▽天気予報▽交通情報",
    "名場面を振り返る特別編。",
    "司会は山本花子、ゲストに田中一郎。",
    "（ステレオ放送）",
    "解説と実況で試合の流れを伝える。",
};

// Descriptions by genre number, for realistic pages. Radio talk shows get
// their own; the other genres share the television texts.
const std::vector<const char*>* RadioSentences(int genre) {
  static const std::vector<const char*> talk = {"リスナーからのおたよりを紹介します。",
                                                "パーソナリティーが軽快なトークでお届け。",
                                                "ゆったりとした語りでお送りします。"};
  return genre == 5 ? &talk : nullptr;
}

const std::map<int, std::vector<const char*>>& GenreSentences() {
  static const std::map<int, std::vector<const char*>> sentences = {
      {0, {"国内外の最新ニュースと各地の天気をお伝えします。", "きょうの主な出来事を分かりやすく解説。",
           "▽経済の動き▽スポーツ結果▽全国の天気"}},
      {1, {"注目の一戦を生中継。解説は元代表の佐藤健二。", "きょうの全試合の結果と好プレーを一挙に紹介。",
           "実況と解説で勝負の流れを伝える。"}},
      {2, {"話題のお店から暮らしに役立つ情報まで。", "旬の食材を使った簡単レシピを紹介。",
           "週末に出かけたい各地のイベントを案内。"}},
      {3, {"主人公の決断が家族の運命を変える。", "港町を舞台に描く人情ドラマ。", "事件の裏に隠された真実とは…。"}},
      {4, {"人気歌手が名曲の数々を熱唱。", "オーケストラによる名演奏をお届けします。", "リクエストにお応えして懐かしの歌を特集。"}},
      {5, {"人気芸人が体を張って挑戦。", "豪華ゲストが珍問難問に挑む。", "笑いあり涙ありの一時間。"}},
      {6, {"不朽の名作を字幕スーパーでお送りします。", "家族の絆を描いた感動作。"}},
      {7, {"ふしぎな森で少年が出会ったのは…。", "ヒーローたちが街の平和を守る。"}},
      {8, {"貴重な映像で歴史の真相に迫る。", "美しい自然と人々の暮らしを訪ねる。", "最新の研究から分かってきたこと。"}},
      {10, {"初心者にも分かりやすく基本から。", "講師と一緒に楽しく学ぶ。"}},
  };
  return sentences;
}

// Whether a title and genre suit a slot of a realistic page: words of the
// time of day in the title, and a least length for films, dramas and the like.
bool FitsSlot(std::string_view title, int genre, int minute, int duration) {
  auto has = [&](std::string_view word) { return title.find(word) != std::string_view::npos; };
  int hour = minute / 60;  // 5 to 28
  if (has("朝") && hour > 9) return false;
  if ((has("正午") || has("お昼")) && (hour < 11 || hour > 13)) return false;
  if (has("夕方") && (hour < 16 || hour > 18)) return false;
  if (has("午後") && (hour < 12 || hour > 17)) return false;
  if (has("深夜") && hour < 23) return false;
  if ((has("夜") || has("ナイト") || has("ナイター")) && hour < 18) return false;
  if ((has("アニメ") || has("こども") || has("特撮") || has("体操")) && (hour < 6 || hour >= 19)) return false;
  if (genre == 6) return duration >= 90;
  if (genre == 1 || genre == 3 || genre == 5 || genre == 8) return duration >= 30;
  return true;
}

const std::array<int, 10> kDurations = {5, 10, 15, 30, 30, 60, 60, 60, 90, 120};

struct TypeInfo {
  const char* key;
  const char* pathSegment;  // goo: the folder of the address; Yahoo: the t= value
  std::vector<const char*> channels;
};

const std::vector<TypeInfo>& Types() {
  static const std::vector<TypeInfo> types = {
      {"GooTv", "VHF_1",
       {"さくらテレビ", "みなと総合", "みなと教育", "ひかりテレビ", "あおば放送", "つばさテレビ", "にじテレビ",
        "かえでＴＶ"}},
      {"GooBsDisital", "BSdigital_1",
       {"ＢＳみなと１", "ＢＳみなと２", "ＢＳさくら", "ＢＳひかり", "ＢＳあおば", "ＢＳつばさ", "ＢＳにじ", "ＢＳかえで"}},
      {"GooUhfBs", "UHF-BSanalog_1",
       {"みなと衛星第１", "みなと衛星第２", "ハイビジョンみなと", "うみかぜテレビ", "やまなみテレビ", "みずうみ放送"}},
      {"YahooAm", "AM", {"みなとラジオ第１", "みなとラジオ第２", "さくら放送ラジオ", "ひかり文化放送", "あおばラジオ"}},
      {"YahooFm", "FM", {"みなとＦＭ", "さくらＦＭ", "ひかりＦＭ", "ＦＭあおば", "つばさＦＭ"}},
  };
  return types;
}

const TypeInfo* FindType(std::string_view key) {
  for (const TypeInfo& type : Types())
    if (key == type.key) return &type;
  return nullptr;
}

const char* const kWeekdays[] = {"日", "月", "火", "水", "木", "金", "土"};

// Day of the week by Zeller's congruence (0 = Sunday); the page date is a
// calendar date only, no time zone is involved.
int WeekdayOf(int year, int month, int day) {
  if (month < 3) {
    month += 12;
    year -= 1;
  }
  int k = year % 100;
  int j = year / 100;
  int h = (day + 13 * (month + 1) / 5 + k + k / 4 + j / 4 + 5 * j) % 7;  // 0 = Saturday
  return ((h + 6) % 7 + 7) % 7;
}

std::string Date8(int year, int month, int day) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

// Adds days to a calendar date (for the previous/next day links).
void ShiftDate(int& year, int& month, int& day, int delta) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  auto daysIn = [](int y, int m) {
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : kDays[(m - 1 + 12) % 12];
  };
  day += delta;
  while (day < 1) {
    if (--month < 1) {
      month = 12;
      --year;
    }
    day += daysIn(year, month);
  }
  while (day > daysIn(year, month)) {
    day -= daysIn(year, month);
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

std::string TimeText(int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d", (minute / 60) % 24, minute % 60);
  return text;
}

constexpr int kDayStart = 5 * 60;   // 5:00
constexpr int kDayEnd = 29 * 60;    // 5:00 next day

// Appends lines with the options's line ends. The choice for Mixed depends only on
// the line's position, so growing descriptions never changes the line ends.
class PageWriter {
 public:
  PageWriter(SampleLineEnd lineEnd, uint64_t seed) : lineEnd_(lineEnd), random_(seed) {}
  void Line(std::string_view text) {
    out_.append(text);
    bool crlf = lineEnd_ == SampleLineEnd::CrLf ||
                (lineEnd_ == SampleLineEnd::Mixed && random_.Chance(50));
    out_.append(crlf ? "\r\n" : "\n");
  }
  std::string& text() { return out_; }

 private:
  SampleLineEnd lineEnd_;
  Random random_;
  std::string out_;
};

struct Layout {
  const TypeInfo* type = nullptr;
  std::vector<std::string> channels;  // names in column order (UTF-8)
  std::vector<std::string> codes;     // the goo channel page of each
  std::vector<SampleProgramme> programmes;
  std::vector<int> sentences;  // per programme: how many description sentences
};

std::string Description(const SampleProgramme& programme, int count, bool byGenre, bool radio) {
  std::string text;
  if (byGenre && programme.durationMinutes >= 30) {
    const std::vector<const char*>* sentences = radio ? RadioSentences(programme.genre) : nullptr;
    auto found = GenreSentences().find(programme.genre);
    if (!sentences && found != GenreSentences().end()) sentences = &found->second;
    if (sentences) {
      const std::vector<const char*>& choices = *sentences;
      size_t pick = static_cast<size_t>(programme.startMinute / 5 + programme.channel);
      text += choices[pick % choices.size()];
      if (programme.durationMinutes >= 60 && choices.size() > 1) text += choices[(pick + 1) % choices.size()];
    }
  }
  // The sentence order depends on the programme, not on the count, so that a
  // longer description only appends.
  size_t start = static_cast<size_t>(programme.startMinute * 7 + programme.channel * 3);
  for (int i = 0; i < count; ++i) text += kSentences[(start + static_cast<size_t>(i)) % kSentences.size()];
  return text;
}

std::string GooAddress(const SamplePageOptions& options, const TypeInfo& type, int year, int month, int day) {
  return "/contents/epg/" + options.locationCode + "/" + type.pathSegment + "/" + Date8(year, month, day) +
         "_0024/index.html";
}

std::string YahooAddress(const SamplePageOptions& options, const TypeInfo& type, int year, int month, int day) {
  return std::string("/listings/?&type=normal&a=") + options.locationCode + "&s=1&t=" + type.pathSegment +
         "&d=" + Date8(year, month, day) + "&st=5&va=24&vb=1&vc=0&vd=0&ve=1";
}

std::string DateLabel(const SamplePageOptions& options) {
  return std::to_string(options.month) + "月" + std::to_string(options.day) + "日（" +
         kWeekdays[WeekdayOf(options.year, options.month, options.day)] + "）";
}

std::string GooPage(const SamplePageOptions& options, const Layout& layout, uint64_t lineSeed) {
  const TypeInfo& type = *layout.type;
  PageWriter page(options.lineEnd, lineSeed);
  const std::string date8 = Date8(options.year, options.month, options.day);
  const std::string columns = std::to_string(layout.channels.size());
  int py = options.year, pm = options.month, pd = options.day;
  ShiftDate(py, pm, pd, -1);
  int ny = options.year, nm = options.month, nd = options.day;
  ShiftDate(ny, nm, nd, 1);

  page.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  page.Line("<html lang=\"ja\">");
  page.Line("<head>");
  page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\">");
  page.Line("<title>テレビ番組表 " + std::to_string(options.year) + "年" + DateLabel(options) + "</title>");
  page.Line("<link rel=\"stylesheet\" href=\"/tv/css/epg.css\" type=\"text/css\">");
  page.Line("</head>");
  page.Line("<body>");
  page.Line("<div id=\"top\"><a href=\"/\"><img src=\"/tv/img/logo.gif\" alt=\"テレビ番組表\" border=\"0\"></a></div>");
  page.Line("<div class=\"datenav\"><a href=\"" + GooAddress(options, type, py, pm, pd) +
            "\">&lt;&lt; 前日</a> | <strong>" + DateLabel(options) + "</strong> | <a href=\"" +
            GooAddress(options, type, ny, nm, nd) + "\">翌日 &gt;&gt;</a></div>");
  page.Line("<table class=\"epg\" width=\"100%\" cellpadding=\"0\" cellspacing=\"1\" border=\"0\">");
  page.Line("<!--ch_top-->");
  page.Line("<tr>");
  page.Line("<th width=\"4%\" align=\"center\">時</th>");
  for (size_t c = 0; c < layout.channels.size(); ++c) {
    page.Line(std::string("<th align=\"center\" valign=\"middle\" width=\"11%\" class=\"showbg\"><a href=\"/contents/ch/") +
              options.locationCode + "/" + layout.codes[c] + ".html\">" + layout.channels[c] + "</a></th>");
  }
  page.Line("<th width=\"4%\" align=\"center\">時</th>");
  page.Line("</tr>");
  page.Line("<!--/ch_top-->");
  page.Line("<tr><th width=\"4%\" align=\"center\">&nbsp;</th><td colspan=\"" + columns +
            "\"><img src=\"/tv/img/spacer.gif\" width=\"1\" height=\"1\" alt=\"\"></td></tr>");

  // Programmes by start slot (5-minute rows).
  std::map<int, std::vector<size_t>> byStart;
  for (size_t i = 0; i < layout.programmes.size(); ++i) byStart[layout.programmes[i].startMinute].push_back(i);

  for (int minute = kDayStart; minute < kDayEnd; minute += 5) {
    if (minute % 60 == 0) {
      char hourPage[32];
      std::snprintf(hourPage, sizeof hourPage, "_%02d24", minute / 60 % 24);
      std::string address = GooAddress(options, type, options.year, options.month, options.day);
      address.replace(address.find("_0024"), 5, hourPage);
      page.Line("<tr><th class=\"epg_td_time\" rowspan=\"12\"><a href=\"" + address + "\">" +
                std::to_string(minute / 60 % 24) + "</a></th>");
    } else {
      page.Line("<tr>");
    }
    auto found = byStart.find(minute);
    if (found != byStart.end()) {
      for (size_t index : found->second) {
        const SampleProgramme& p = layout.programmes[index];
        char genre[32];
        std::snprintf(genre, sizeof genre, "genre_%02d", p.genre);
        char id[64];
        std::snprintf(id, sizeof id, "%02d_%04d", p.channel + 1, (p.startMinute / 60 % 24) * 100 + p.startMinute % 60);
        std::string title = p.isNew ? "<img src=\"/tv/img/icon/shinban.gif\" alt=\"新\">" + p.title : p.title;
        std::string line = std::string("<td class=\"") + genre + "\" rowspan=\"" +
                           std::to_string(p.durationMinutes / 5) +
                           "\" valign=\"top\"><table class=\"prog\"><tr>"
                           "<td valign=\"top\"><a href=\"/contents/program/" +
                           options.locationCode + "/" + type.pathSegment + "/" + date8 + "/" + id + ".html\"><strong>" +
                           p.timeText + "</strong> <strong>" + title +
                           "</strong></a></td><td align=\"right\"><a href=\"" + options.iepgBase + "/iepg.tvpi?id=" + date8 + id +
                           "\">iEPG</a><br>G:" + p.gcode + "</td></tr></table>";
        std::string description = Description(p, layout.sentences[index], options.realistic, false);
        if (!description.empty()) line += "<div class=\"desc\">" + description + "</div>";
        line += "</td>";
        page.Line(line);
      }
    }
    page.Line("</tr>");
  }
  page.Line("<!--ch_bottom-->");
  page.Line("</table>");
  page.Line("<div id=\"footer\"><a href=\"/help/\">ヘルプ</a> | <a href=\"/\">トップへ</a></div>");
  page.Line("</body>");
  page.Line("</html>");
  return std::move(page.text());
}

std::string YahooPage(const SamplePageOptions& options, const Layout& layout, uint64_t lineSeed) {
  const TypeInfo& type = *layout.type;
  PageWriter page(options.lineEnd, lineSeed);
  int py = options.year, pm = options.month, pd = options.day;
  ShiftDate(py, pm, pd, -1);
  int ny = options.year, nm = options.month, nd = options.day;
  ShiftDate(ny, nm, nd, 1);
  const std::string width = std::to_string(95 / static_cast<int>(layout.channels.size())) + "%";

  std::string stationRow = "\t<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" width='1%'>時</td>";
  for (size_t c = 0; c < layout.channels.size(); ++c)
    stationRow += "<td class=\"station\"><a href=\"/listings/station/?a=" + options.locationCode + "&id=" +
                  std::to_string(c + 1) + "\">" + layout.channels[c] + "</a></td>";
  stationRow += "<td class=\"scroller\" width='1%'>時</td></tr>";

  page.Line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
  page.Line("<html>");
  page.Line("<head>");
  page.Line("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">");
  page.Line(std::string("<title>ラジオ番組表（") + type.pathSegment + "） " + std::to_string(options.year) + "年" +
            DateLabel(options) + "</title>");
  page.Line("</head>");
  page.Line("<body>");
  page.Line("<div id=\"hd\"><a href=\"/\"><img src=\"/images/logo.gif\" alt=\"番組表\" border=\"0\"></a></div>");
  page.Line("<div class=\"daynav\"><a href=\"" + YahooAddress(options, type, py, pm, pd) + "\">前日</a> | " +
            DateLabel(options) + " | <a href=\"" + YahooAddress(options, type, ny, nm, nd) + "\">翌日</a></div>");
  page.Line("<table class=\"listings\" width=\"100%\" cellpadding=\"2\" cellspacing=\"1\" border=\"0\">");
  page.Line(stationRow);

  std::map<int, std::vector<size_t>> byStart;
  for (size_t i = 0; i < layout.programmes.size(); ++i) byStart[layout.programmes[i].startMinute].push_back(i);

  for (int minute = kDayStart; minute < kDayEnd; ++minute) {
    auto found = byStart.find(minute);
    bool hour = minute % 60 == 0;
    if (!hour && found == byStart.end()) {
      page.Line("\t<tr bgcolor = \"#FFFFFF\" class=n></tr>");
      continue;
    }
    std::string hourCell = "<td class=\"scroller\" rowspan='60' width='1%' align='center'>" +
                           std::to_string(minute / 60 % 24) + "</td>";
    std::string line = "\t<tr bgcolor = \"#FFFFFF\">";
    if (hour) line += hourCell;
    if (found != byStart.end()) {
      for (size_t index : found->second) {
        const SampleProgramme& p = layout.programmes[index];
        line += "<td valign='top' rowspan='" + std::to_string(p.durationMinutes) + "' width='" + width +
                "'><span class=\"detail\"><span class=\"time\">" + p.timeText + "</span><a class=\"title\">" +
                p.title + "</a>&nbsp;</span><a href=\"/listings/detail/?a=" + options.locationCode + "&id=" +
                p.gcode + "\">詳細</a>";
        std::string description = Description(p, layout.sentences[index], options.realistic, true);
        if (!description.empty()) line += "<br><span class=\"desc\">" + description + "</span>";
        line += "</td>";
      }
    }
    if (hour) line += hourCell;
    line += "</tr>";
    page.Line(line);
  }
  page.Line(stationRow.substr(0, stationRow.size() - 5) + "</tr></table>");
  page.Line("<div id=\"ft\"><a href=\"/help/\">ヘルプ</a></div>");
  page.Line("</body>");
  page.Line("</html>");
  return std::move(page.text());
}

// A page of the right host without any listing: what an unknown type gets.
std::string PlainPage(const SamplePageOptions& options) {
  PageWriter page(options.lineEnd, 1);
  page.Line("<html><head><title>ページが見つかりません</title></head>");
  page.Line("<body><p>お探しのページは見つかりませんでした。</p></body></html>");
  return std::move(page.text());
}

std::string Render(const SamplePageOptions& options, const Layout& layout) {
  uint64_t lineSeed = OptionsHash(options, "lines");
  if (IsGooSampleType(options.typeKey)) return Cp932ToEucJp(text::Utf8ToCp932(GooPage(options, layout, lineSeed)));
  return YahooPage(options, layout, lineSeed);
}

// Spreads `units` description sentences over the programmes, round robin.
void Distribute(Layout& layout, size_t units) {
  size_t count = layout.programmes.size();
  layout.sentences.assign(count, 0);
  if (count == 0) return;
  for (size_t i = 0; i < count; ++i)
    layout.sentences[i] = static_cast<int>(units / count + (i < units % count ? 1 : 0));
}

void AppendPadding(std::string& page, size_t bytes, SampleLineEnd lineEnd) {
  const std::string eol = lineEnd == SampleLineEnd::Lf ? "\n" : "\r\n";
  // A comment needs "<!--" + " -->" + the line end; shorter gaps become blanks.
  while (bytes > 0) {
    size_t overhead = 8 + eol.size();
    if (bytes <= overhead) {
      page.append(bytes, ' ');
      return;
    }
    size_t body = std::min<size_t>(bytes - overhead, 200);
    page += "<!--";
    page.append(body, '.');
    page += " -->";
    page += eol;
    bytes -= body + overhead;
  }
}

}  // namespace

bool IsGooSampleType(std::string_view typeKey) { return typeKey.substr(0, 3) == "Goo"; }

std::vector<std::string> SampleChannels(std::string_view typeKey) {
  std::vector<std::string> names;
  if (const TypeInfo* type = FindType(typeKey))
    for (const char* name : type->channels) names.emplace_back(name);
  return names;
}

std::vector<SampleProgramme> SampleSchedule(const SamplePageOptions& options) {
  std::vector<SampleProgramme> programmes;
  const TypeInfo* type = FindType(options.typeKey);
  if (!type) return programmes;
  if (!options.schedule.empty()) return options.schedule;
  const size_t channels = options.stations.empty() ? type->channels.size() : options.stations.size();
  const std::vector<Genre>& genres = IsGooSampleType(options.typeKey) ? TvGenres() : RadioGenres();
  Random random(OptionsHash(options, "schedule"));
  for (size_t c = 0; c < channels; ++c) {
    int minute = kDayStart;
    while (minute < kDayEnd) {
      SampleProgramme p;
      p.channel = static_cast<int>(c);
      p.startMinute = minute;
      int duration = kDurations[static_cast<size_t>(random.Below(static_cast<int>(kDurations.size())))];
      // Long programmes start on the hour or half hour, like real schedules.
      if (duration >= 30 && minute % 30 != 0) duration = 30 - minute % 30;
      p.durationMinutes = std::min(duration, kDayEnd - minute);
      p.timeText = TimeText(minute);
      const Genre* genre = &genres[static_cast<size_t>(random.Below(static_cast<int>(genres.size())))];
      const char* title = genre->titles[static_cast<size_t>(random.Below(static_cast<int>(genre->titles.size())))];
      // Realistic pages draw again until the title suits the slot; the
      // first genre's first title (news) suits any slot.
      for (int tries = 0; options.realistic && !FitsSlot(title, genre->number, minute, p.durationMinutes); ++tries) {
        genre = &genres[tries < 16 ? static_cast<size_t>(random.Below(static_cast<int>(genres.size()))) : 0];
        title = tries < 16 ? genre->titles[static_cast<size_t>(random.Below(static_cast<int>(genre->titles.size())))]
                           : genre->titles[1];
        if (tries >= 16) break;
      }
      const Genre& chosen = *genre;
      p.genre = chosen.number;
      p.title = title;
      if (chosen.number == 3) p.title += "（第" + std::to_string(1 + random.Below(12)) + "回）";
      p.isNew = random.Chance(8);
      int flag = random.Below(10);
      if (flag == 0) p.title += "[字]";
      if (flag == 1) p.title += "[再]";
      p.gcode = std::to_string(100000 + random.Below(9000000));
      programmes.push_back(std::move(p));
      minute += programmes.back().durationMinutes;
    }
  }
  return programmes;
}

std::string GenerateSamplePage(const SamplePageOptions& options) {
  Layout layout;
  layout.type = FindType(options.typeKey);
  if (!layout.type) return PlainPage(options);
  for (size_t c = 0; c < layout.type->channels.size(); ++c) {
    char number[32];
    std::snprintf(number, sizeof number, "%02zu", c + 1);
    layout.channels.emplace_back(layout.type->channels[c]);
    layout.codes.emplace_back(number);
  }
  if (!options.stations.empty()) {
    layout.channels.clear();
    layout.codes.clear();
    for (const SampleStation& station : options.stations) {
      layout.channels.push_back(station.name);
      layout.codes.push_back(station.code);
    }
  }
  layout.programmes = SampleSchedule(options);
  Distribute(layout, 0);
  std::string page = Render(options, layout);
  if (options.targetBytes <= page.size()) return page;

  // The page grows with the number of description sentences; find the largest
  // count that still fits, then pad the rest outside the listing.
  size_t low = 0;
  size_t high = 1;
  std::string fitting = std::move(page);
  for (;;) {
    Distribute(layout, high);
    std::string candidate = Render(options, layout);
    if (candidate.size() > options.targetBytes) break;
    low = high;
    fitting = std::move(candidate);
    high *= 2;
  }
  while (high - low > 1) {
    size_t middle = low + (high - low) / 2;
    Distribute(layout, middle);
    std::string candidate = Render(options, layout);
    if (candidate.size() > options.targetBytes) {
      high = middle;
    } else {
      low = middle;
      fitting = std::move(candidate);
    }
  }
  // Padding goes before the closing lines so the page still ends like a page.
  size_t missing = options.targetBytes - fitting.size();
  size_t tail = fitting.rfind("</body>");
  std::string padding;
  AppendPadding(padding, missing, options.lineEnd);
  if (tail == std::string::npos) {
    fitting += padding;
  } else {
    fitting.insert(tail, padding);
  }
  return fitting;
}

bool WriteSamplePage(const std::filesystem::path& path, const SamplePageOptions& options) {
  std::string page = GenerateSamplePage(options);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(page.data(), static_cast<std::streamsize>(page.size()));
  out.close();
  return static_cast<bool>(out);
}

std::string SampleTargetFor(const SamplePageOptions& options) {
  const TypeInfo* type = FindType(options.typeKey);
  if (!type) return "/";
  if (IsGooSampleType(options.typeKey)) return GooAddress(options, *type, options.year, options.month, options.day);
  return YahooAddress(options, *type, options.year, options.month, options.day);
}

bool IsSampleDate(int year, int month, int day) {
  if (year < 1 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return day <= kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

std::optional<SamplePageOptions> SampleOptionsForTarget(std::string_view target) {
  auto parseDate = [](std::string_view digits, SamplePageOptions& options) {
    if (digits.size() != 8) return false;
    for (char c : digits)
      if (c < '0' || c > '9') return false;
    options.year = std::stoi(std::string(digits.substr(0, 4)));
    options.month = std::stoi(std::string(digits.substr(4, 2)));
    options.day = std::stoi(std::string(digits.substr(6, 2)));
    return IsSampleDate(options.year, options.month, options.day);
  };
  auto isDigits = [](std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  SamplePageOptions options;
  std::string_view path = target.substr(0, target.find('?'));
  std::string_view query = target.size() > path.size() ? target.substr(path.size() + 1) : std::string_view();

  constexpr std::string_view kGooPrefix = "/contents/epg/";
  constexpr std::string_view kGooSuffix = "_0024/index.html";
  if (path.substr(0, kGooPrefix.size()) == kGooPrefix) {
    std::string_view rest = path.substr(kGooPrefix.size());  // 008/VHF_1/20110309_0024/index.html
    size_t slash1 = rest.find('/');
    if (slash1 == std::string_view::npos) return std::nullopt;
    size_t slash2 = rest.find('/', slash1 + 1);
    if (slash2 == std::string_view::npos) return std::nullopt;
    std::string_view code = rest.substr(0, slash1);
    std::string_view segment = rest.substr(slash1 + 1, slash2 - slash1 - 1);
    std::string_view tail = rest.substr(slash2 + 1);
    if (!isDigits(code) || tail.size() != 8 + kGooSuffix.size() || tail.substr(8) != kGooSuffix) return std::nullopt;
    const TypeInfo* type = nullptr;
    for (const TypeInfo& candidate : Types())
      if (IsGooSampleType(candidate.key) && segment == candidate.pathSegment) type = &candidate;
    if (!type || !parseDate(tail.substr(0, 8), options)) return std::nullopt;
    options.typeKey = type->key;
    options.locationCode = std::string(code);
    return options;
  }
  if (path == "/listings/" || path == "/listings") {
    std::string_view area, kind, date;
    while (!query.empty()) {
      size_t amp = query.find('&');
      std::string_view pair = query.substr(0, amp);
      query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
      size_t eq = pair.find('=');
      if (eq == std::string_view::npos) continue;
      std::string_view name = pair.substr(0, eq);
      std::string_view value = pair.substr(eq + 1);
      if (name == "a") area = value;
      if (name == "t") kind = value;
      if (name == "d") date = value;
    }
    if (!isDigits(area) || !parseDate(date, options)) return std::nullopt;
    if (kind == "AM") {
      options.typeKey = "YahooAm";
    } else if (kind == "FM") {
      options.typeKey = "YahooFm";
    } else {
      return std::nullopt;
    }
    options.locationCode = std::string(area);
    return options;
  }
  return std::nullopt;
}

std::string Cp932ToEucJp(std::string_view cp932) {
  static const char kGeta[] = "\xA2\xAE";
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 8);
  for (size_t i = 0; i < cp932.size(); ++i) {
    unsigned char lead = static_cast<unsigned char>(cp932[i]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      continue;
    }
    if (lead >= 0xA1 && lead <= 0xDF) {  // half-width katakana
      out += '\x8E';
      out += static_cast<char>(lead);
      continue;
    }
    if (!text::IsCp932LeadByte(lead)) {
      out += kGeta;
      continue;
    }
    if (i + 1 >= cp932.size()) {  // a lead byte without its trail byte
      out += kGeta;
      break;
    }
    unsigned char trail = static_cast<unsigned char>(cp932[++i]);
    if (lead >= 0xF0 || trail < 0x40 || trail == 0x7F || trail > 0xFC) {
      out += kGeta;
      continue;
    }
    int row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 0x21;
    int cell;
    if (trail >= 0x9F) {
      row += 1;
      cell = trail - 0x7E;
    } else {
      cell = trail - 0x1F - (trail >= 0x80 ? 1 : 0);
    }
    out += static_cast<char>(row | 0x80);
    out += static_cast<char>(cell | 0x80);
  }
  return out;
}

}  // namespace kanro::sites
