#include "demo/demo_server.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <stdexcept>

#include "app/listing_time.h"
#include "app/version.h"
#include "demo/listing_server.h"
#include "demo/source_stand_ins.h"
#include "sites/sample_pages.h"
#include "text/codepage.h"

namespace kanro::demo {
namespace {

constexpr const char* kServicePath = "/kanro/operate.php";
constexpr int kMaxRankingLines = 50;

// A small page at "/" so a person who opens the address sees what it is.
std::string IndexPage(const std::string& base) {
  sites::SamplePageOptions goo;
  sites::SamplePageOptions yahoo;
  yahoo.typeKey = "YahooFm";
  yahoo.locationCode = "23";
  const std::string date = app::DateText(app::GetListingTime());
  for (sites::SamplePageOptions* options : {&goo, &yahoo}) {
    options->year = std::atoi(date.substr(0, 4).c_str());
    options->month = std::atoi(date.substr(4, 2).c_str());
    options->day = std::atoi(date.substr(6, 2).c_str());
  }
  return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\"><title>Kanro demo server</title></head>\n"
         "<body><h1>Kanro demo server</h1>\n"
         "<p>Generated listing pages for any date, prefecture and type, and a stand-in for the service at " +
         base + kServicePath + ".</p>\n<ul>\n<li><a href=\"" + sites::SampleTargetFor(goo) +
         "\">goo-style terrestrial page, today</a></li>\n<li><a href=\"" + sites::SampleTargetFor(yahoo) +
         "\">Yahoo-style FM page, today</a></li>\n</ul></body></html>\n";
}

// "RANK=12" gives 12; anything else that starts with "RANK=" the default.
std::optional<int> RankRequest(const std::string& body) {
  constexpr std::string_view kRank = "RANK=";
  if (body.compare(0, kRank.size(), kRank) != 0) return std::nullopt;
  const char* digits = body.c_str() + kRank.size();
  char* end = nullptr;
  long value = std::strtol(digits, &end, 10);
  if (end == digits || *end != '\0') return 5;
  return static_cast<int>(std::clamp<long>(value, 1, kMaxRankingLines));
}

}  // namespace

int OwnVersionNumber() {
  std::string digits;
  for (char c : app::GetVersionString())
    if (c != '.') digits += c;
  return std::atoi(digits.c_str());
}

std::string RankingText(int count, const std::string& listingDate) {
  count = std::clamp(count, 1, kMaxRankingLines);
  sites::SamplePageOptions options;
  options.realistic = true;  // the programmes the demo's pages show
  if (listingDate.size() == 8) {
    options.year = std::atoi(listingDate.substr(0, 4).c_str());
    options.month = std::atoi(listingDate.substr(4, 2).c_str());
    options.day = std::atoi(listingDate.substr(6, 2).c_str());
  }
  // Evening programmes of the terrestrial page first, then the satellite
  // pages and the rest of the day, each title once.
  struct Pick {
    std::string time, channel, title;
    uint32_t order = 0;  // mixes the channels within each group
  };
  std::vector<Pick> picks;
  std::set<std::string> titles;
  for (bool evening : {true, false}) {
    const size_t groupStart = picks.size();
    for (const char* type : {"GooTv", "GooBsDisital", "GooUhfBs"}) {
      options.typeKey = type;
      const std::vector<std::string> channels = sites::SampleChannels(type);
      for (const sites::SampleProgramme& p : sites::SampleSchedule(options)) {
        bool inEvening = p.startMinute >= 19 * 60 && p.startMinute < 23 * 60;
        if (evening != inEvening || p.durationMinutes < 30 || !titles.insert(p.title).second) continue;
        uint32_t order = 2166136261u;
        for (unsigned char c : p.title) order = (order ^ c) * 16777619u;
        picks.push_back({p.timeText, channels[static_cast<size_t>(p.channel)], p.title, order});
      }
    }
    std::stable_sort(picks.begin() + static_cast<std::ptrdiff_t>(groupStart), picks.end(),
                     [](const Pick& a, const Pick& b) { return a.order < b.order; });
  }
  std::string text;
  int viewers = 300 + static_cast<int>(options.day) * 7;
  for (int i = 0; i < count && i < static_cast<int>(picks.size()); ++i) {
    const Pick& pick = picks[static_cast<size_t>(i)];
    char line[512];
    std::snprintf(line, sizeof line, "%d位 %s %s %s（%d人）", i + 1, pick.time.c_str(), pick.channel.c_str(),
                  pick.title.c_str(), viewers);
    text += text::Utf8ToCp932(line) + "\r\n";
    viewers -= 9 + (i * 13 + options.day) % 23;
    viewers = std::max(viewers, 1);
  }
  return text;
}

std::string VersionText(int newestVersion) {
  std::string number = std::to_string(newestVersion);
  std::string dotted = number.size() > 1 ? number.substr(0, 1) + "." + number.substr(1) : number;
  std::string notice = newestVersion > OwnVersionNumber()
                           ? "Kanro " + dotted + " を公開しました。番組表の表示が速くなりました。"
                           : "お使いのバージョンが最新です。";
  return number + "\r\n" + text::Utf8ToCp932(notice) + "\r\n";
}

DemoServer::DemoServer() : newestVersion_(OwnVersionNumber()) {}

DemoServer::~DemoServer() { Stop(); }

bool DemoServer::Start(int port, std::string* error) {
  Stop();
  try {
    listing_ = std::make_unique<ListingServer>(port);
  } catch (const std::exception& failure) {
    if (error) *error = failure.what();
    return false;
  }
  listing_->SetRichPages(true);
  const std::string base = listing_->BaseUrl();
  listing_->ServePath("/", [base](const ServedRequest&) {
    return ServedReply{200, IndexPage(base), "text/html; charset=UTF-8"};
  });
  ServeStandIns(*listing_);
  listing_->ServePath(kServicePath, [this](const ServedRequest& request) {
    ServedReply reply;
    reply.body = ServiceAnswer(request.method, request.target, request.body, &reply.status);
    return reply;
  });
  return true;
}

void DemoServer::Stop() { listing_.reset(); }

bool DemoServer::Running() const { return listing_ != nullptr; }

int DemoServer::Port() const { return listing_ ? listing_->port() : 0; }

std::string DemoServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(Port()); }

std::string DemoServer::ServiceUrl() const { return BaseUrl() + kServicePath; }

std::string DemoServer::TunerUrl() const { return BaseUrl() + "/"; }

std::string DemoServer::XmltvUrl() const { return BaseUrl() + kXmltvPath; }

std::string DemoServer::UrlTemplate(std::string_view typeKey) const {
  return listing_ ? listing_->UrlTemplate(typeKey) : std::string();
}

void DemoServer::SetNewestVersion(int version) {
  std::lock_guard<std::mutex> lock(mutex_);
  newestVersion_ = version;
}

std::vector<std::string> DemoServer::WatchNotifications() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return watches_;
}

std::string DemoServer::ServiceAnswer(const std::string& method, const std::string& target,
                                      const std::string& body, int* status) {
  if (method == "POST") {
    if (std::optional<int> count = RankRequest(body))
      return RankingText(*count, app::DateText(app::GetListingTime()));
    if (body == "VERSION=CHECK") {
      std::lock_guard<std::mutex> lock(mutex_);
      return VersionText(newestVersion_);
    }
    *status = 400;
    return "unknown request\r\n";
  }
  // A watch notification: the watch link's query with WATCH and DATE added.
  size_t query = target.find('?');
  std::lock_guard<std::mutex> lock(mutex_);
  watches_.push_back(query == std::string::npos ? std::string() : target.substr(query + 1));
  return "OK\r\n";
}

}  // namespace kanro::demo
