#include "sources/xmltv_reader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <system_error>

#include "app/clock.h"
#include "export/civil_date.h"
#include "export/listing_day.h"

namespace kanro::sources {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The best of several lang variants so far: Japanese, then none, then any.
struct Variant {
  int rank = 3;
  std::string text;
  void Offer(const QXmlStreamAttributes& attributes, std::string value) {
    const std::string lang = Lower(attributes.value("lang").toString().toStdString());
    const int r = lang == "ja" || lang.rfind("ja-", 0) == 0 ? 0 : lang.empty() ? 1 : 2;
    value = Trimmed(CleanText(value));
    if (r < rank && !value.empty()) {
      rank = r;
      text = std::move(value);
    }
  }
};

struct PendingProgramme {
  std::string channel;
  int64_t start = 0;
  std::optional<int64_t> stop;
  SourceProgramme programme;
};

std::string ElementText(QXmlStreamReader& xml) {
  return xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString();
}

// "s.e.p" counted from 0, each part optional: the episode as people count it.
std::string EpisodeText(const std::string& system, const std::string& value) {
  if (system == "onscreen") return value;
  if (system != "xmltv_ns") return {};
  const size_t dot = value.find('.');
  if (dot == std::string::npos) return {};
  const std::string episode = Trimmed(value.substr(dot + 1, value.find('.', dot + 1) - dot - 1));
  const std::string number = episode.substr(0, episode.find('/'));
  if (number.empty() || number.find_first_not_of("0123456789 ") != std::string::npos || number.size() > 6) return {};
  return "第" + std::to_string(std::atoi(number.c_str()) + 1) + "話";
}

void ReadProgramme(QXmlStreamReader& xml, PendingProgramme& pending) {
  Variant title, subtitle, description;
  std::string episode;
  bool genreShared = false;  // the genre came from a name several genres share
  SourceProgramme& p = pending.programme;
  while (xml.readNextStartElement()) {
    const auto name = xml.name();
    const QXmlStreamAttributes attributes = xml.attributes();
    if (name == u"title") {
      title.Offer(attributes, ElementText(xml));
    } else if (name == u"sub-title") {
      subtitle.Offer(attributes, ElementText(xml));
    } else if (name == u"desc") {
      description.Offer(attributes, ElementText(xml));
    } else if (name == u"category") {
      bool shared = false;
      const int genre = GenreOfCategory(Trimmed(CleanText(ElementText(xml))), &shared);
      // The first category that names a genre decides, unless its name is one
      // several genres share ("Movie / Drama"): then a later exact one does.
      if (genre >= 0 && (p.genre < 0 || (genreShared && !shared))) {
        p.genre = genre;
        genreShared = shared;
      }
    } else if (name == u"episode-num") {
      const std::string system = attributes.value("system").toString().toStdString();
      const std::string text = EpisodeText(system.empty() ? "onscreen" : system, Trimmed(CleanText(ElementText(xml))));
      if (episode.empty()) episode = text;
    } else if (name == u"new") {
      p.isNew = true;
      xml.skipCurrentElement();
    } else {
      xml.skipCurrentElement();  // previously-shown, icon, credits, ...
    }
  }
  p.title = title.text;
  // An episode the title shows already ("…（第10回）", as our own export
  // writes it) is not repeated.
  if (!episode.empty() && p.title.find(episode) != std::string::npos) episode.clear();
  p.subtitle = episode.empty() ? subtitle.text : subtitle.text.empty() ? episode : episode + " " + subtitle.text;
  p.description = description.text;
}

}  // namespace

std::optional<int64_t> ParseXmltvTime(std::string_view text) {
  size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits < 8 || digits > 14 || digits % 2 != 0) return std::nullopt;
  auto number = [&](size_t at, size_t length) {
    int value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (text[i] - '0');
    return value;
  };
  const int year = number(0, 4), month = number(4, 2), day = number(6, 2);
  const int hour = digits >= 10 ? number(8, 2) : 0;
  const int minute = digits >= 12 ? number(10, 2) : 0;
  const int second = digits >= 14 ? number(12, 2) : 0;
  if (!exports::IsValidDateNumber(year * 10000 + month * 100 + day) || hour > 23 || minute > 59 || second > 60)
    return std::nullopt;
  std::string_view zone = text.substr(digits);
  while (!zone.empty() && zone.front() == ' ') zone.remove_prefix(1);
  while (!zone.empty() && zone.back() == ' ') zone.remove_suffix(1);
  int64_t offset = 0;
  if (zone.empty() || zone == "Z" || zone == "UTC" || zone == "GMT") {
    offset = 0;
  } else if ((zone[0] == '+' || zone[0] == '-') && (zone.size() == 5 || (zone.size() == 6 && zone[3] == ':'))) {
    const std::string_view hh = zone.substr(1, 2), mm = zone.substr(zone.size() - 2);
    for (const char c : std::string(hh) + std::string(mm))
      if (c < '0' || c > '9') return std::nullopt;
    const int h = (hh[0] - '0') * 10 + (hh[1] - '0'), m = (mm[0] - '0') * 10 + (mm[1] - '0');
    if (h > 14 || m > 59) return std::nullopt;
    offset = (zone[0] == '-' ? -1 : 1) * (h * 3600 + m * 60);
  } else {
    return std::nullopt;
  }
  const int64_t days = exports::DaysFromCivil({year, month, day});
  return days * 86400 + hour * 3600 + minute * 60 + second - offset;
}

int GenreOfCategory(std::string_view name, bool* shared) {
  static std::set<std::string> sharedNames;
  static const std::map<std::string, int> names = [] {
    std::map<std::string, int> table;
    // The English content names, some of which two genres share.
    for (int genre = 0; genre < 16; ++genre) {
      const std::string en = Lower(std::string(exports::GenreNameEn(genre)));
      if (en.empty() || exports::GenreNameJa(genre).empty()) continue;
      const auto [at, added] = table.emplace(en, genre);
      if (!added && at->second != genre) sharedNames.insert(en);
    }
    for (int genre = 0; genre < 16; ++genre) {
      const std::string ja(exports::GenreNameJa(genre)), en(exports::GenreNameEn(genre));
      if (ja.empty()) continue;
      table.emplace(ja, genre);
      // Each half of "アニメ／特撮" names the genre too.
      for (size_t from = 0, slash; from < ja.size(); from = slash + std::string_view("／").size()) {
        slash = ja.find("／", from);
        if (slash == std::string::npos) slash = ja.size();
        table.emplace(ja.substr(from, slash - from), genre);
      }
    }
    // Words other guides (and our own earlier exports) use for the same genres.
    for (const auto& [word, genre] : std::initializer_list<std::pair<const char*, int>>{
             {"news", 0}, {"sport", 1}, {"information", 2}, {"drama", 3}, {"music", 4}, {"variety", 5},
             {"movie", 6}, {"film", 6}, {"animation", 7}, {"anime", 7}, {"children", 7}, {"documentary", 8},
             {"theatre", 9}, {"theater", 9}, {"education", 10}, {"welfare", 11}, {"talk", 5}, {"報道", 0}})
      table.emplace(word, genre);
    return table;
  }();
  const std::string key = Lower(name);
  const auto found = names.find(key);
  if (shared) *shared = found != names.end() && sharedNames.count(key) != 0;
  return found == names.end() ? -1 : found->second;
}

std::string XmltvWatchId(std::string_view channelId, int64_t start) {
  uint32_t hash = 2166136261u;  // FNV-1a
  for (const char c : channelId) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  const app::LocalDate local = app::ToLocalDate(start);
  char text[32];
  std::snprintf(text, sizeof text, "%08u%02d%02d%02d", static_cast<unsigned>(hash % 100000000u), local.day, local.hour,
                local.minute);
  return text;
}

bool ReadXmltv(QIODevice& input, const XmltvFilter& filter, SourceSchedule* schedule, std::string* error) {
  QXmlStreamReader xml(&input);
  std::map<std::string, size_t> channelIndex;
  std::map<std::string, Variant> channelNames;
  std::vector<PendingProgramme> pending;
  int declared = 0;  // channels in the file, kept or not
  if (!xml.readNextStartElement()) {
    *error = xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError
                 ? "XMLTV ファイルの " + std::to_string(xml.lineNumber()) + " 行目が XML として正しくありません（" +
                       xml.errorString().toStdString() + "）"
                 : "XMLTV ファイルが空です";
    return false;
  }
  if (xml.name() != u"tv") {
    *error = "XMLTV ファイルではありません（最上位の要素が <tv> ではありません）";
    return false;
  }
  while (xml.readNextStartElement()) {
    if (xml.name() == u"channel") {
      ++declared;
      const std::string id = Trimmed(CleanText(xml.attributes().value("id").toString().toStdString()));
      const bool keep = !id.empty() && (filter.channels.empty() || filter.channels.count(id)) && !channelIndex.count(id);
      if (keep) {
        channelIndex.emplace(id, schedule->channels.size());
        schedule->channels.push_back({id, id});
      }
      while (xml.readNextStartElement()) {
        if (keep && xml.name() == u"display-name") {
          const QXmlStreamAttributes attributes = xml.attributes();
          channelNames[id].Offer(attributes, ElementText(xml));
        } else {
          xml.skipCurrentElement();
        }
      }
    } else if (xml.name() == u"programme") {
      const QXmlStreamAttributes attributes = xml.attributes();
      PendingProgramme p;
      p.channel = attributes.value("channel").toString().toStdString();
      const std::optional<int64_t> start = ParseXmltvTime(attributes.value("start").toString().toStdString());
      if (attributes.hasAttribute("stop")) {
        p.stop = ParseXmltvTime(attributes.value("stop").toString().toStdString());
        if (!p.stop) p.stop = -1;  // present but unreadable
      }
      const bool wanted = filter.channels.empty() || filter.channels.count(p.channel);
      if (!wanted) {
        xml.skipCurrentElement();
        continue;
      }
      ReadProgramme(xml, p);
      if (!start || *start < kEarliestStart || *start > kLatestStart || p.programme.title.empty() ||
          (p.stop && *p.stop <= *start)) {
        ++schedule->rejected;
        continue;
      }
      p.start = *start;
      if (p.stop && *p.stop <= filter.from) continue;
      if (p.start >= filter.until) continue;
      pending.push_back(std::move(p));
    } else {
      xml.skipCurrentElement();
    }
  }
  if (xml.hasError()) {
    *error = "XMLTV ファイルの " + std::to_string(xml.lineNumber()) + " 行目が XML として正しくありません（" +
             xml.errorString().toStdString() + "）";
    return false;
  }
  if (schedule->channels.empty()) {
    *error = declared == 0 ? "XMLTV ファイルにチャンネル（<channel>）がありません"
                           : "XMLTV ファイルに設定されたチャンネルがありません";
    return false;
  }
  for (SourceChannel& channel : schedule->channels) {
    const auto name = channelNames.find(channel.key);
    if (name != channelNames.end() && !name->second.text.empty()) channel.name = name->second.text;
  }
  // A programme without a stop ends where the next of its channel starts.
  std::stable_sort(pending.begin(), pending.end(), [](const PendingProgramme& a, const PendingProgramme& b) {
    return a.channel != b.channel ? a.channel < b.channel : a.start < b.start;
  });
  std::map<std::string, size_t> byWatchId;
  for (size_t i = 0; i < pending.size(); ++i) {
    PendingProgramme& p = pending[i];
    const auto channel = channelIndex.find(p.channel);
    if (channel == channelIndex.end()) {
      ++schedule->rejected;  // a channel the file never declared
      continue;
    }
    if (!p.stop) {
      const bool next = i + 1 < pending.size() && pending[i + 1].channel == p.channel && pending[i + 1].start > p.start;
      if (next) p.stop = pending[i + 1].start;
    }
    if (!p.stop || *p.stop - p.start > kLongestProgramme) {
      ++schedule->rejected;
      continue;
    }
    SourceProgramme& programme = p.programme;
    programme.channel = channel->second;
    programme.start = p.start;
    programme.stop = *p.stop;
    programme.watchId = XmltvWatchId(p.channel, p.start);
    const auto [at, inserted] = byWatchId.emplace(programme.watchId, schedule->programmes.size());
    if (!inserted) {
      // The same channel and start twice: the later one is kept.
      schedule->programmes[at->second] = std::move(programme);
      ++schedule->rejected;
      continue;
    }
    schedule->programmes.push_back(std::move(programme));
  }
  return true;
}

bool ReadXmltvFile(const std::filesystem::path& path, const XmltvFilter& filter, SourceSchedule* schedule,
                   std::string* error) {
  std::error_code ec;
  const std::string shown = path.string();
  if (std::filesystem::is_directory(path, ec)) {
    *error = shown + " はフォルダです（XMLTV ファイルを指定してください）";
    return false;
  }
  if (!std::filesystem::exists(path, ec)) {
    *error = shown + " が見つかりません";
    return false;
  }
  QFile file(QString::fromStdString(shown));
  if (!file.open(QIODevice::ReadOnly)) {
    *error = shown + " を読み込めません（" + file.errorString().toStdString() + "）";
    return false;
  }
  return ReadXmltv(file, filter, schedule, error);
}

}  // namespace kanro::sources
