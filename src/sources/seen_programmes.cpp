#include "sources/seen_programmes.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <system_error>

#include "app/paths.h"
#include "sources/day_layout.h"
#include "text/text_file.h"

namespace kanro::sources {
namespace {

QString Q(const std::string& utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }
std::string S(const QJsonValue& value) { return value.toString().toStdString(); }

}  // namespace

std::filesystem::path SeenProgrammesFolder() { return app::SourcesFolder(); }

std::filesystem::path SeenProgrammesPath(const std::string& pageName) {
  return SeenProgrammesFolder() / (pageName + ".json");
}

SourceSchedule LoadSeenProgrammes(const std::filesystem::path& path) {
  SourceSchedule day;
  const std::optional<std::string> bytes = text::ReadFileBytes(path);
  if (!bytes) return day;
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromRawData(bytes->data(), static_cast<qsizetype>(bytes->size())));
  const QJsonArray channels = document.object().value("channels").toArray();
  for (const QJsonValue& c : channels) day.channels.push_back({S(c["key"]), S(c["name"])});
  for (const QJsonValue& value : document.object().value("programmes").toArray()) {
    const QJsonObject o = value.toObject();
    SourceProgramme p;
    const qint64 channel = o.value("channel").toInteger(-1);
    p.start = o.value("start").toInteger();
    p.stop = o.value("stop").toInteger();
    if (channel < 0 || static_cast<size_t>(channel) >= day.channels.size() || p.stop <= p.start) continue;
    p.channel = static_cast<size_t>(channel);
    p.title = S(o["title"]);
    p.subtitle = S(o["subtitle"]);
    p.description = S(o["description"]);
    p.genre = static_cast<int>(o.value("genre").toInteger(-1));
    p.isNew = o.value("new").toBool();
    p.watchId = S(o["id"]);
    if (p.title.empty() || p.watchId.empty()) continue;
    day.programmes.push_back(std::move(p));
  }
  return day;
}

bool SaveSeenProgrammes(const std::filesystem::path& path, const SourceSchedule& day) {
  QJsonArray channels;
  for (const SourceChannel& c : day.channels) channels.append(QJsonObject{{"key", Q(c.key)}, {"name", Q(c.name)}});
  QJsonArray programmes;
  for (const SourceProgramme& p : day.programmes) {
    programmes.append(QJsonObject{{"channel", static_cast<qint64>(p.channel)},
                                  {"start", static_cast<qint64>(p.start)},
                                  {"stop", static_cast<qint64>(p.stop)},
                                  {"title", Q(p.title)},
                                  {"subtitle", Q(p.subtitle)},
                                  {"description", Q(p.description)},
                                  {"genre", p.genre},
                                  {"new", p.isNew},
                                  {"id", Q(p.watchId)}});
  }
  const QByteArray json = QJsonDocument(QJsonObject{{"channels", channels}, {"programmes", programmes}}).toJson(
      QJsonDocument::Compact);
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  text::AtomicTextFileWriter writer;
  return writer.Open(path) && writer.WriteBytes(std::string_view(json.constData(), static_cast<size_t>(json.size()))) &&
         writer.Commit();
}

int KeepEndedProgrammes(SourceSchedule& current, const SourceSchedule& seen, int64_t now) {
  std::map<std::string, size_t> channelOf;
  for (size_t i = 0; i < current.channels.size(); ++i) channelOf.emplace(current.channels[i].key, i);
  std::set<std::string> ids;
  std::vector<std::vector<std::pair<int64_t, int64_t>>> busy(current.channels.size());
  for (const SourceProgramme& p : current.programmes) {
    ids.insert(p.watchId);
    if (p.channel < busy.size()) busy[p.channel].push_back({p.start, p.stop});
  }
  int added = 0;
  for (const SourceProgramme& old : seen.programmes) {
    if (old.stop > now || old.channel >= seen.channels.size() || ids.count(old.watchId)) continue;
    const auto found = channelOf.find(seen.channels[old.channel].key);
    if (found == channelOf.end()) continue;
    bool overlaps = false;
    for (const auto& [start, stop] : busy[found->second]) overlaps = overlaps || (start < old.stop && old.start < stop);
    if (overlaps) continue;
    SourceProgramme kept = old;
    kept.channel = found->second;
    busy[found->second].push_back({kept.start, kept.stop});
    ids.insert(kept.watchId);
    current.programmes.push_back(std::move(kept));
    ++added;
  }
  return added;
}

SourceSchedule ProgrammesOfDay(const SourceSchedule& schedule, int dateNumber) {
  SourceSchedule day;
  day.channels = schedule.channels;
  const int64_t dayStart = WallMinuteOfDate(dateNumber) + kDayStartMinute;
  const int64_t dayEnd = dayStart + kRowsPerDay;
  for (const SourceProgramme& p : schedule.programmes)
    if (WallMinute(p.start) < dayEnd && std::max(WallMinute(p.stop), WallMinute(p.start) + 1) > dayStart)
      day.programmes.push_back(p);
  return day;
}

void RemoveSeenBefore(const std::string& entry, int beforeDate) {
  std::error_code ec;
  for (std::filesystem::directory_iterator it(SeenProgrammesFolder(), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // "YYYYMMDD" + entry + ".json"
    if (name.size() != 8 + entry.size() + 5 || name.compare(8, entry.size(), entry) != 0) continue;
    const int date = std::atoi(name.substr(0, 8).c_str());
    std::error_code ignored;
    if (date > 0 && date < beforeDate) std::filesystem::remove(it->path(), ignored);
  }
}

}  // namespace kanro::sources
