#include "demo/source_stand_ins.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/clock.h"
#include "app/listing_time.h"
#include "demo/listing_server.h"
#include "export/civil_date.h"
#include "export/xml_writer.h"

namespace kanro::demo {
namespace {

constexpr int kNetworkId = 32736;
constexpr int kFirstServiceId = 1024;

struct DayProgrammes {
  int64_t midnight;  // of the listing date
  int dayNumber;     // days since 1970 of the listing date, for event ids
  std::vector<sites::SampleProgramme> programmes;
};

std::vector<DayProgrammes> Days(int64_t firstDay) {
  std::vector<DayProgrammes> days;
  for (int d = 0; d < kStandInDays; ++d) {
    const app::LocalDate date = app::ToLocalDate(firstDay + d * 86400);
    const int64_t midnight = app::FromLocalDate(date.year, date.month, date.day);
    days.push_back({midnight, static_cast<int>((midnight + 43200) / 86400),
                    sites::SampleSchedule(StandInPageOptions(date.year, date.month, date.day))});
  }
  return days;
}

std::string XmltvTime(int64_t time) {
  const app::LocalDate t = app::ToLocalDate(time);
  // The local zone's offset at that moment: its wall clock read as UTC.
  const int64_t offset =
      exports::DaysFromCivil({t.year, t.month, t.day}) * 86400 + t.hour * 3600 + t.minute * 60 + t.second - time;
  const int64_t minutes = std::llabs(offset) / 60;
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d %c%02lld%02lld", t.year, t.month, t.day, t.hour, t.minute,
                t.second, offset < 0 ? '-' : '+', static_cast<long long>(minutes / 60),
                static_cast<long long>(minutes % 60));
  return text;
}

std::string ChannelId(int channel) { return "ch" + std::to_string(channel + 1) + ".demo.kanro"; }

}  // namespace

sites::SamplePageOptions StandInPageOptions(int year, int month, int day) {
  sites::SamplePageOptions options;
  options.typeKey = "GooTv";
  options.locationCode = "013";
  options.year = year;
  options.month = month;
  options.day = day;
  options.realistic = true;
  return options;
}

std::string StandInServicesJson() {
  QJsonArray services;
  const std::vector<std::string> channels = sites::SampleChannels("GooTv");
  for (size_t i = 0; i < channels.size(); ++i) {
    const int serviceId = kFirstServiceId + static_cast<int>(i);
    services.append(QJsonObject{{"id", static_cast<qint64>(kNetworkId) * 100000 + serviceId},
                                {"serviceId", serviceId},
                                {"networkId", kNetworkId},
                                {"name", QString::fromStdString(channels[i])},
                                {"type", 1},
                                {"logoId", 0},
                                {"hasLogoData", false},
                                {"remoteControlKeyId", static_cast<int>(i) + 1},
                                {"channel", QJsonObject{{"type", "GR"}, {"channel", "27"}}}});
  }
  return QJsonDocument(services).toJson(QJsonDocument::Compact).toStdString();
}

std::string StandInProgramsJson(int64_t firstDay, int networkId) {
  QJsonArray programs;
  if (networkId != 0 && networkId != kNetworkId) return "[]";
  for (const DayProgrammes& day : Days(firstDay)) {
    for (size_t i = 0; i < day.programmes.size(); ++i) {
      const sites::SampleProgramme& p = day.programmes[i];
      const int serviceId = kFirstServiceId + p.channel;
      // Stable per programme: the day and its place among the day's ones.
      const int eventId = day.dayNumber % 60 * 1000 + static_cast<int>(i) + 1;
      QJsonObject programme{{"id", (static_cast<qint64>(kNetworkId) * 100000 + serviceId) * 100000 + eventId},
                            {"eventId", eventId},
                            {"serviceId", serviceId},
                            {"networkId", kNetworkId},
                            {"startAt", static_cast<qint64>(day.midnight + p.startMinute * 60) * 1000},
                            {"duration", static_cast<qint64>(p.durationMinutes) * 60000},
                            {"isFree", true},
                            {"name", QString::fromStdString(p.title)},
                            {"genres", QJsonArray{QJsonObject{{"lv1", p.genre}, {"lv2", 0}, {"un1", 15}, {"un2", 15}}}}};
      if (p.isNew) programme["series"] = QJsonObject{{"id", eventId}, {"repeat", 0}, {"episode", 1}, {"lastEpisode", 12}};
      programs.append(programme);
    }
  }
  return QJsonDocument(programs).toJson(QJsonDocument::Compact).toStdString();
}

std::string StandInXmltv(int64_t firstDay) {
  std::ostringstream out;
  exports::XmlWriter xml(out);
  xml.Prologue("tv", "xmltv.dtd");
  xml.Open("tv", {{"source-info-name", "Kanro demo"}});
  const std::vector<std::string> channels = sites::SampleChannels("GooTv");
  for (size_t i = 0; i < channels.size(); ++i) {
    xml.Open("channel", {{"id", ChannelId(static_cast<int>(i))}});
    xml.Element("display-name", channels[i], {{"lang", "ja"}});
    xml.Close();
  }
  for (const DayProgrammes& day : Days(firstDay)) {
    for (const sites::SampleProgramme& p : day.programmes) {
      const int64_t start = day.midnight + p.startMinute * 60;
      xml.Open("programme", {{"start", XmltvTime(start)},
                             {"stop", XmltvTime(start + p.durationMinutes * 60)},
                             {"channel", ChannelId(p.channel)}});
      xml.Element("title", p.title, {{"lang", "ja"}});
      if (p.isNew) xml.Empty("new");
      xml.Close();
    }
  }
  xml.Close();
  return out.str();
}

void ServeStandIns(ListingServer& server) {
  auto firstDay = [] { return app::GetListingTime(); };
  server.ServePath(kTunerServicesPath, [](const ServedRequest&) {
    return ServedReply{200, StandInServicesJson(), "application/json; charset=utf-8"};
  });
  server.ServePath(kTunerProgramsPath, [firstDay](const ServedRequest& request) {
    const size_t at = request.target.find("networkId=");
    const int networkId = at == std::string::npos ? 0 : std::atoi(request.target.c_str() + at + 10);
    return ServedReply{200, StandInProgramsJson(firstDay(), networkId), "application/json; charset=utf-8"};
  });
  server.ServePath(kXmltvPath, [firstDay](const ServedRequest&) {
    return ServedReply{200, StandInXmltv(firstDay()), "application/xml; charset=utf-8"};
  });
}

}  // namespace kanro::demo
