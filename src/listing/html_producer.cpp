#include "listing/html_producer.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include "app/clock.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "export/watch_mark_carry.h"
#include "net/http_request.h"
#include "net/raw_download.h"
#include "net/url_parts.h"
#include "text/codepage.h"

namespace kanro::listing {
namespace {

constexpr int kDefaultExpectedSize = 200000;
constexpr int kDefaultWaitSec = 3;
// Longest courtesy wait honoured; a larger setting is treated as this.
constexpr int64_t kMaxWaitSec = 3600;
constexpr int64_t kDaySeconds = 86400;

// Passes every warning on to the notifier in place and keeps the first one
// given on this thread, so that a failed request can also name its reason in
// the status text.
class WarningCapture : public app::Notifier {
 public:
  WarningCapture() : m_thread(std::this_thread::get_id()), m_previous(app::SetNotifier(this)) {}
  ~WarningCapture() override { app::SetNotifier(m_previous); }
  WarningCapture(const WarningCapture&) = delete;
  WarningCapture& operator=(const WarningCapture&) = delete;

  void Warn(const std::string& text) override {
    if (std::this_thread::get_id() == m_thread && m_first.empty()) m_first = text;
    m_previous->Warn(text);
  }
  void Beep() override { m_previous->Beep(); }
  const std::string& First() const { return m_first; }

 private:
  const std::thread::id m_thread;
  app::Notifier* const m_previous;
  std::string m_first;
};

std::string Cp932(const char* utf8) { return text::Utf8ToCp932(utf8); }

std::string DisplayPath(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return text::Utf8ToCp932(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

// One line of status text: line ends and tabs become blanks.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// Why a page address cannot be requested (CP932), or nothing.
std::optional<std::string> UnusableUrl(const std::string& url, const std::string& key) {
  const std::string setting = Cp932("設定 URL/") + key + Cp932(" のアドレス");
  for (const char c : url)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
      return setting + Cp932("に改行などの制御文字が含まれています");
  if (!net::SplitUrl(url)) return setting + Cp932("が http:// または https:// のアドレスではありません");
  return std::nullopt;
}

void ReplaceEvery(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// Seconds since 1970 of a file's last modification, or nothing.
std::optional<int64_t> ModifiedTime(const std::filesystem::path& path) {
  std::error_code ec;
  auto stamp = std::filesystem::last_write_time(path, ec);
  if (ec) return std::nullopt;
  auto system = std::chrono::file_clock::to_sys(stamp);
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

bool Exists(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::string Format(const char* format, int a, int b, int c, int d, const std::string& key) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b, c, d);
  return buffer + key;
}

}  // namespace

const std::string& WeekdayName(int weekday) {
  static const std::array<std::string, 7> names = {
      text::Utf8ToCp932("（日）"), text::Utf8ToCp932("（月）"), text::Utf8ToCp932("（火）"),
      text::Utf8ToCp932("（水）"), text::Utf8ToCp932("（木）"), text::Utf8ToCp932("（金）"),
      text::Utf8ToCp932("（土）"),
  };
  return names[static_cast<size_t>(weekday >= 0 && weekday < 7 ? weekday : 0)];
}

CHtmlProducer::CHtmlProducer() : m_bKeepFresh(GetProfileInt("Download", "KeepFresh", 1) != 0) {}

CHtmlProducer::~CHtmlProducer() = default;

int CHtmlProducer::GetExpectedSize() const {
  return GetProfileInt("FileSize", GetKey().c_str(), kDefaultExpectedSize);
}

std::filesystem::path CHtmlProducer::DataPagePath() const {
  return app::DataFolder() / (PageName() + ".htm");
}

std::filesystem::path CHtmlProducer::HeadPagePath() const {
  char number[16];
  std::snprintf(number, sizeof number, "%02d", m_location.m_nNumber);
  return app::HeadFolder() / (number + GetKey() + ".htm");
}

std::string CHtmlProducer::PageName() const {
  app::LocalDate date = app::ToLocalDate(m_time);
  return Format("%04d%02d%02d%02d", date.year, date.month, date.day, m_location.m_nNumber, GetKey());
}

std::string CHtmlProducer::StatusText() const {
  static const std::string open = Cp932("【");
  static const std::string close = text::Utf8ToCp932("】");
  app::LocalDate date = app::ToLocalDate(m_time);
  return std::to_string(date.month) + "/" + std::to_string(date.day) + WeekdayName(date.weekday) +
         m_location.m_strName + open + GetName() + close;
}

std::string CHtmlProducer::PageUrl() const {
  app::LocalDate date = app::ToLocalDate(m_time);
  char day[32];
  std::snprintf(day, sizeof day, "%02d%02d%02d", date.year, date.month, date.day);
  std::string url = GetUrl();
  ReplaceEvery(url, "%GooLocation", m_location.m_strGooCode);
  ReplaceEvery(url, "%YahooLocation", m_location.m_strYahooCode);
  ReplaceEvery(url, "%D", day);
  return url;
}

bool CHtmlProducer::ShouldSkip(const std::filesystem::path& dataPage) const {
  if (!m_bForce && !m_bKeepFresh && Exists(dataPage)) return true;
  if (m_bOnceADay && Exists(dataPage)) {
    std::optional<int64_t> modified = ModifiedTime(dataPage);
    // Less than a whole day old (a time in the future counts as fresh too).
    if (modified && (app::Now() - *modified) / kDaySeconds <= 0) return true;
  }
  return false;
}

void CHtmlProducer::CourtesyWait() {
  // A negative setting means no wait; a huge one is capped so the count
  // cannot overflow.
  int64_t seconds = std::clamp<int64_t>(GetProfileInt("Download", "WaitSec", kDefaultWaitSec), 0, kMaxWaitSec);
  int64_t steps = seconds * 100;
  if (steps == 0) return;
  Send(app::UM_PROGRESS, 0, static_cast<intptr_t>(steps));
  while (steps > 0 && !g_bCancel.load()) {
    Send(app::UM_PROGRESS, static_cast<uintptr_t>(steps), 0);
    --steps;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void CHtmlProducer::LearnSize(int bytes) {
  int64_t learned = (static_cast<int64_t>(bytes) + GetExpectedSize()) / 2;
  learned = std::clamp<int64_t>(learned, INT_MIN, INT_MAX);
  WriteProfileInt("FileSize", GetKey().c_str(), static_cast<int>(learned));
}

void CHtmlProducer::Send(unsigned message, uintptr_t wParam, intptr_t lParam) {
  if (m_hWnd) m_hWnd->Send(message, wParam, lParam);
}

intptr_t CHtmlProducer::SendText(unsigned message, uintptr_t wParam, const std::string& text) {
  if (!m_hWnd) return 0;
  return m_hWnd->Send(message, wParam, reinterpret_cast<intptr_t>(text.c_str()));
}

bool CHtmlProducer::Fail(std::string reason) {
  m_strFailure = OneLine(std::move(reason));
  if (m_strFailure.empty()) m_strFailure = Cp932("ページを取得できませんでした");
  SendText(app::UM_STATUSTEXT, 0, FailureText());
  return false;
}

std::string CHtmlProducer::FailureText() const { return StatusText() + Cp932("：") + m_strFailure; }

bool CHtmlProducer::Produce() {
  m_strFailure.clear();
  m_bWroteHead = false;
  if (ShouldSkip(DataPagePath())) return true;

  static const std::string fetching = Cp932("を取得中");
  const std::string status = StatusText();
  SendText(app::UM_STATUSTEXT, 0, status + fetching);

  CourtesyWait();
  int expected = GetExpectedSize();
  Send(app::UM_PROGRESS, 0, expected > 0 ? expected : kDefaultExpectedSize);

  const std::string url = PageUrl();
  net::RawDownload downloaded;
  if (!downloaded.valid())
    return Fail(Cp932("一時フォルダ ") + DisplayPath(net::RawDownloadFolder()) + Cp932(" に一時ファイルを作成できません"));
  const int bytes = Fetch(url, GetKey(), downloaded.path(), kListingPageLimits);
  if (bytes < 1) return false;
  LearnSize(bytes);

  if (!ConvertPage(downloaded.path())) return false;

  SendText(app::UM_TASKRESULT, app::TASK_PAGE_WRITTEN, PageName());
  return true;
}

int CHtmlProducer::Fetch(const std::string& url, const std::string& settingKey, const std::filesystem::path& file,
                         const HttpLimits& limits) {
  static const std::string cancelled = Cp932("中止しました");
  auto fail = [this](std::string reason) {
    Fail(std::move(reason));
    return -1;
  };
  if (std::optional<std::string> unusable = UnusableUrl(url, settingKey)) return fail(*unusable);
  // A stop request seen here ends the page as the transfer itself would.
  if (g_bCancel.load()) return fail(cancelled);
  int bytes = 0;
  std::string warning;
  {
    WarningCapture capture;
    bytes = HttpRequest(file, {std::string()}, url, std::string(), m_hWnd, url.c_str(), "GET", limits);
    warning = capture.First();
  }
  if (bytes >= 1) return bytes;
  if (g_bCancel.load()) return fail(cancelled);
  if (bytes == 0) return fail(Cp932("サーバーの応答が空でした"));
  if (!warning.empty()) return fail(warning);
  // The address was checked above, so the routine failed on the file.
  return fail(Cp932("一時ファイル ") + DisplayPath(file) + Cp932(" に書き込めません（空き容量を確認してください）"));
}

bool CHtmlProducer::ConvertPage(const std::filesystem::path& downloaded) {
  static const std::string converting = Cp932("を整形中");
  m_strFailure.clear();
  m_strMarksDropped.clear();
  m_bWroteHead = false;
  if (!m_pCreater) return Fail(std::string());
  m_pCreater->RequireCompleteListing(true);
  const std::filesystem::path headPage = HeadPagePath();
  const std::filesystem::path dataPage = DataPagePath();
  // The folders normally exist from start-up; a removed one is made again.
  std::error_code ec;
  std::filesystem::create_directories(headPage.parent_path(), ec);
  std::filesystem::create_directories(dataPage.parent_path(), ec);

  // The marks of the page name programmes by their place on it: read what
  // they name before anything is rewritten, and carry them to the same
  // programmes on the page as rewritten.
  const std::string name = PageName();
  std::optional<exports::WatchMarkCarry> marks;
  if (!WatchIdsFollowProgrammes()) marks.emplace(headPage, dataPage, std::atoi(name.substr(0, 8).c_str()), name.substr(8));

  // An existing header page is kept unless it is to be renewed; either way
  // it is replaced only by a complete new one.
  if (m_bRenewHead || !Exists(headPage)) {
    if (!m_pCreater->CreateHead(downloaded, headPage)) return Fail(m_pCreater->FailureReason());
    m_bWroteHead = true;
  }

  const std::string status = StatusText();
  Send(app::UM_PROGRESS, 100, 100);
  SendText(app::UM_STATUSTEXT, 0, status + converting);
  if (!m_pCreater->CreateData(downloaded, dataPage, status)) return Fail(m_pCreater->FailureReason());
  const std::string dropped = marks ? marks->Finish() : std::string();
  if (!dropped.empty()) {
    m_strMarksDropped = status + Cp932("：") + dropped;
    SendText(app::UM_STATUSTEXT, 0, m_strMarksDropped);
  }
  return true;
}

}  // namespace kanro::listing
