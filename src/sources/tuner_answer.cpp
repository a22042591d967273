#include "sources/tuner_answer.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace kanro::sources {
namespace {

// The array of a whole answer, or an error naming what is wrong with it.
bool ParseArray(std::string_view json, QJsonArray* array, std::string* error) {
  QJsonParseError parseError{};
  const QJsonDocument document = QJsonDocument::fromJson(
      QByteArray::fromRawData(json.data(), static_cast<qsizetype>(json.size())), &parseError);
  if (parseError.error != QJsonParseError::NoError) {
    *error = "応答が JSON として読めません（" + std::to_string(parseError.offset) + " バイト目: " +
             parseError.errorString().toStdString() + "）";
    return false;
  }
  if (!document.isArray()) {
    // The start of the answer tells the user most: an error object with
    // its status, a page of another server.
    std::string start = CleanText(json.substr(0, 80));
    if (json.size() > 80) start += "…";
    *error = "応答の形が違います（配列ではありません: " + start + "）";
    return false;
  }
  *array = document.array();
  return true;
}

// A whole number of a JSON value, or nothing (strings and fractions are not).
std::optional<int64_t> WholeNumber(const QJsonValue& value) {
  if (!value.isDouble()) return std::nullopt;
  const double number = value.toDouble();
  if (!std::isfinite(number) || number != std::floor(number) || std::fabs(number) > 9.0e15) return std::nullopt;
  return static_cast<int64_t>(number);
}

std::string Utf8(const QJsonValue& value) { return value.isString() ? CleanText(value.toString().toStdString()) : ""; }

}  // namespace

const BroadcastKindNames& NamesOf(BroadcastKind kind) {
  static constexpr BroadcastKindNames kNames[] = {
      {"TunerGr", "GR", "地デジ"}, {"TunerBs", "BS", "BS"}, {"TunerCs", "CS", "CS"}};
  return kNames[static_cast<size_t>(kind)];
}

std::string TunerWatchId(int64_t serviceId, int64_t eventId) {
  char text[32];
  std::snprintf(text, sizeof text, "%05lld%05lld", static_cast<long long>(serviceId), static_cast<long long>(eventId));
  return text;
}

bool ReadTunerServices(std::string_view json, BroadcastKind kind, SourceSchedule* schedule, TunerChannels* channels,
                       std::string* error) {
  QJsonArray array;
  if (!ParseArray(json, &array, error)) return false;
  struct Service {
    int64_t key, networkId, serviceId;
    std::string name;
  };
  std::vector<Service> services;
  std::set<std::pair<int64_t, int64_t>> seen;
  for (const QJsonValue& value : array) {
    const QJsonObject o = value.toObject();
    const QJsonObject channel = o.value("channel").toObject();
    const std::optional<int64_t> networkId = WholeNumber(o.value("networkId"));
    const std::optional<int64_t> serviceId = WholeNumber(o.value("serviceId"));
    if (!networkId || !serviceId || *serviceId < 0 || *serviceId > 65535 || *networkId < 0 || *networkId > 65535)
      continue;
    if (WholeNumber(o.value("type")).value_or(-1) != 1) continue;
    if (channel.value("type").toString().toStdString() != NamesOf(kind).channelType) continue;
    if (!seen.insert({*networkId, *serviceId}).second) continue;
    // Services without a key sort after those with one.
    const int64_t key = WholeNumber(o.value("remoteControlKeyId")).value_or(1 << 20);
    std::string name = Utf8(o.value("name"));
    if (name.empty()) name = std::to_string(*serviceId);
    services.push_back({key, *networkId, *serviceId, std::move(name)});
  }
  std::stable_sort(services.begin(), services.end(), [](const Service& a, const Service& b) {
    return a.key != b.key ? a.key < b.key : a.serviceId != b.serviceId ? a.serviceId < b.serviceId : a.networkId < b.networkId;
  });
  for (const Service& s : services) {
    channels->byService[{s.networkId, s.serviceId}] = schedule->channels.size();
    if (std::find(channels->networks.begin(), channels->networks.end(), s.networkId) == channels->networks.end())
      channels->networks.push_back(s.networkId);
    schedule->channels.push_back({std::to_string(s.networkId * 100000 + s.serviceId), s.name});
  }
  return true;
}

bool ReadTunerPrograms(std::string_view json, const TunerChannels& channels, SourceSchedule* schedule,
                       std::string* error) {
  QJsonArray array;
  if (!ParseArray(json, &array, error)) return false;
  // Per service and event id, where it is in the schedule: a repeated event
  // replaces the one before (the later entry is the newer information).
  std::map<std::string, size_t> byWatchId;
  for (const QJsonValue& value : array) {
    const QJsonObject o = value.toObject();
    const std::optional<int64_t> networkId = WholeNumber(o.value("networkId"));
    const std::optional<int64_t> serviceId = WholeNumber(o.value("serviceId"));
    if (!networkId || !serviceId) {
      ++schedule->rejected;
      continue;
    }
    const auto channel = channels.byService.find({*networkId, *serviceId});
    if (channel == channels.byService.end()) continue;  // another kind's or a radio service
    const std::optional<int64_t> eventId = WholeNumber(o.value("eventId"));
    const std::optional<int64_t> startAt = WholeNumber(o.value("startAt"));
    const std::optional<int64_t> duration = WholeNumber(o.value("duration"));
    SourceProgramme p;
    p.title = Utf8(o.value("name"));
    if (!eventId || *eventId < 0 || *eventId > 65535 || !startAt || !duration || *duration <= 0 ||
        *duration > kLongestProgramme * 1000 || *startAt < kEarliestStart * 1000 || *startAt > kLatestStart * 1000 ||
        p.title.empty()) {
      ++schedule->rejected;
      continue;
    }
    p.channel = channel->second;
    p.start = *startAt / 1000;
    p.stop = (*startAt + *duration) / 1000;
    if (p.stop <= p.start) p.stop = p.start + 1;
    p.description = Utf8(o.value("description"));
    const QJsonObject extended = o.value("extended").toObject();
    for (auto it = extended.begin(); it != extended.end(); ++it) {
      const std::string text = Utf8(it.value());
      if (text.empty()) continue;
      if (!p.description.empty()) p.description += "　";
      p.description += CleanText(it.key().toStdString()) + "：" + text;
    }
    const QJsonArray genres = o.value("genres").toArray();
    if (!genres.isEmpty()) {
      const std::optional<int64_t> lv1 = WholeNumber(genres.first().toObject().value("lv1"));
      if (lv1 && *lv1 >= 0 && *lv1 <= 15) p.genre = static_cast<int>(*lv1);
    }
    // The first episode of a series, or the broadcaster's own mark in the title.
    const QJsonObject series = o.value("series").toObject();
    p.isNew = WholeNumber(series.value("episode")).value_or(0) == 1 || p.title.find("[新]") != std::string::npos ||
              p.title.find("🈟") != std::string::npos;
    p.watchId = TunerWatchId(*serviceId, *eventId);
    const auto [at, inserted] = byWatchId.emplace(p.watchId, schedule->programmes.size());
    if (inserted) {
      schedule->programmes.push_back(std::move(p));
    } else {
      schedule->programmes[at->second] = std::move(p);
      ++schedule->rejected;
    }
  }
  return true;
}

}  // namespace kanro::sources
