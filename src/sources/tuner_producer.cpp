#include "sources/tuner_producer.h"

#include "app/settings_store.h"
#include "net/raw_download.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::sources {
std::string TunerBaseUrl() {
  std::string url = GetProfileString("URL", "Tuner", kDefaultTunerUrl);
  if (url.empty()) url = kDefaultTunerUrl;
  if (url.back() != '/') url += '/';
  return url;
}

CTunerHtmlProducer::CTunerHtmlProducer(BroadcastKind kind) : CSourceHtmlProducer(NamesOf(kind).typeKey), m_kind(kind) {}

std::optional<std::string> CTunerHtmlProducer::Answer(const std::string& path, std::string* reason) {
  net::RawDownload file;
  if (!file.valid()) {
    *reason = "一時ファイルを作成できません";
    return std::nullopt;
  }
  // The server's answers are capped as listing pages are (16 MiB).
  if (Fetch(TunerBaseUrl() + path, "Tuner", file.path(), kListingPageLimits) < 1) return std::nullopt;
  std::optional<std::string> bytes = text::ReadFileBytes(file.path());
  if (!bytes) *reason = "一時ファイルを読み込めません";
  return bytes;
}

bool CTunerHtmlProducer::LoadSchedule(SourceSchedule* schedule, std::string* reason) {
  const std::string base = TunerBaseUrl();
  const std::optional<std::string> services = Answer("api/services", reason);
  if (!services) return false;
  TunerChannels channels;
  std::string error;
  if (!ReadTunerServices(*services, m_kind, schedule, &channels, &error)) {
    *reason = base + "api/services の" + error;
    return false;
  }
  if (schedule->channels.empty()) {
    *reason = base + " に" + std::string(NamesOf(m_kind).name) + "のテレビのサービスがありません";
    return false;
  }
  for (const int64_t network : channels.networks) {
    const std::string path = "api/programs?networkId=" + std::to_string(network);
    const std::optional<std::string> programs = Answer(path, reason);
    if (!programs) return false;
    if (!ReadTunerPrograms(*programs, channels, schedule, &error)) {
      *reason = base + path + " の" + error;
      return false;
    }
  }
  return true;
}

}  // namespace kanro::sources
