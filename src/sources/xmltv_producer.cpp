#include "sources/xmltv_producer.h"

#include "app/settings_store.h"
#include "net/raw_download.h"
#include "sources/xmltv_reader.h"
#include "text/codepage.h"
#include "text/tokenizer.h"

namespace kanro::sources {
namespace {

// A national file over the network may be large; it is read as a stream.
constexpr HttpLimits kXmltvLimits{1LL << 30, std::chrono::minutes(30)};

bool IsWebAddress(const std::string& text) { return text.rfind("http://", 0) == 0 || text.rfind("https://", 0) == 0; }

}  // namespace

std::string CXmltvHtmlProducer::GetUrl() const { return GetProfileString("URL", "Xmltv", ""); }

bool CXmltvHtmlProducer::LoadSchedule(SourceSchedule* schedule, std::string* reason) {
  const std::string where = GetUrl();
  if (where.empty()) {
    *reason = "設定 URL/Xmltv に XMLTV ファイルのパスかアドレスがありません";
    return false;
  }
  XmltvFilter filter;
  for (const std::string& id : text::TokenizeList(GetProfileString("Xmltv", "Channels", "")))
    if (!id.empty()) filter.channels.insert(text::Cp932ToUtf8(id));
  // The days a run can reach, with room for programmes crossing into them.
  filter.from = m_time - 2 * 86400;
  filter.until = m_time + 33 * 86400;

  std::string error;
  if (IsWebAddress(where)) {
    net::RawDownload file;
    if (!file.valid()) {
      *reason = "一時ファイルを作成できません";
      return false;
    }
    if (Fetch(where, "Xmltv", file.path(), kXmltvLimits) < 1) return false;
    if (ReadXmltvFile(file.path(), filter, schedule, &error)) return true;
    *reason = text::Cp932ToUtf8(where) + ": " + error;
    return false;
  }
  // A path in the settings is CP932; the file system wants UTF-8.
  const std::string path = text::Cp932ToUtf8(where.rfind("file://", 0) == 0 ? where.substr(7) : where);
  if (ReadXmltvFile(std::filesystem::path(std::u8string(path.begin(), path.end())), filter, schedule, &error))
    return true;
  *reason = error;
  return false;
}

}  // namespace kanro::sources
