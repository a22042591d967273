#include "listing/html_creater.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "app/frameset_page.h"
#include "app/messages.h"
#include "app/paths.h"
#include "app/settings_store.h"
#include "listing/euc_to_sjis.h"
#include "listing/page_lines.h"
#include "text/codepage.h"
#include "text/text_file.h"

namespace kanro::listing {
namespace fs = std::filesystem;

namespace {

// Lines of one page on which a rule may run out of time before it is left
// out of the rest of that page.
constexpr unsigned char kMaxRuleTimeoutsPerPage = 3;

constexpr char kPageStart[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n"
    "<html lang=\"ja\">\n"
    "<head>\n"
    "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=Windows-31J\">\n";

constexpr char kStylesheets[] =
    "  <link href=\"../Kanro.css\" rel=\"stylesheet\" type=\"text/css\" media=\"all\">\n"
    "  <link href=\"../print.css\" rel=\"stylesheet\" type=\"text/css\" media=\"print\">\n";

constexpr char kHeadPageTop[] =
    "  <meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n";

constexpr char kHeadPageBody[] =
    "  <title>Header</title>\n"
    "</head>\n"
    "<body style=\"margin-right: 17px;\">\n"
    "<table height=\"50\" class=\"header\">\n";

constexpr char kHeadPageEnd[] = "</table></body></html>";

constexpr char kDataPageTop[] =
    "  <meta http-equiv=\"Content-Script-Type\" content=\"text/javascript\">\n"
    "  <meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n";

constexpr char kDataPageBody[] =
    "</head>\n"
    "<body onScroll=\"parent.head.document.body.scrollLeft=document.body.scrollLeft;\">\n"
    "<table class=\"program\">\n"
    "<thead style=\"display: none;\">\n";

constexpr char kDataPageBodyStart[] = "</thead>\n<tbody>\n";

constexpr char kDataPageEnd[] =
    "</tbody>\n"
    "</table>\n"
    "<iframe name=\"iepg\" frameborder=\"0\" width=\"0\" height=\"0\"></iframe>\n"
    "</body></html>\n";

std::string DisplayPath(const fs::path& path) {
  const std::u8string u8 = path.u8string();
  return text::Utf8ToCp932(std::string_view(reinterpret_cast<const char*>(u8.data()), u8.size()));
}

// The file-error message of the platform, in the user's language.
void ReportFileError(const fs::path& path, const char* whatFailedUtf8) {
  app::CurrentNotifier().Warn(DisplayPath(path) + text::Utf8ToCp932(whatFailedUtf8));
}

// The new page must be on disk before it replaces an old one, or a crash
// right after the replace could leave an empty page instead of either.
#ifdef _WIN32
unsigned long CurrentProcessId() { return static_cast<unsigned long>(_getpid()); }
bool FlushToDisk(const fs::path& path) {
  const int fd = _wopen(path.c_str(), _O_RDWR | _O_BINARY);
  if (fd < 0) return false;
  const bool ok = _commit(fd) == 0;
  _close(fd);
  return ok;
}
#else
unsigned long CurrentProcessId() { return static_cast<unsigned long>(::getpid()); }
bool FlushToDisk(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}
#endif

// A page written beside its target and moved over it only when complete, so a
// failed conversion never replaces a good page with a broken or empty one.
//
// Everything goes through the active-content filter in the order it is
// written: listing lines are cleaned, and before the page's own markup the
// filter closes whatever a listing line left open, so that the filter always
// reads the bytes as a browser will.
class PageFile {
 public:
  PageFile(fs::path target, ActiveContentFilter& filter) : m_target(std::move(target)), m_filter(filter) {}
  ~PageFile() { Discard(); }
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  bool Open() {
    // Unique per process and page, so two programs converting the same page
    // never share a file.
    static std::atomic<unsigned> counter{0};
    m_temp = m_target;
    m_temp += ".tmp" + std::to_string(CurrentProcessId()) + "-" + std::to_string(counter++);
    m_filter.StartPage();
    return m_writer.Open(m_temp);
  }
  // The page's own markup, written as it is.
  bool WriteOwn(std::string_view text) {
    m_filter.Seal();
    return m_writer.Write(text);
  }
  // A listing line and its line end, cleaned of active content.
  bool WriteListing(std::string& line) {
    line += '\n';
    m_cleaned.clear();
    m_filter.Listing(line, m_cleaned);
    return m_writer.Write(m_cleaned);
  }

  // Moves the page over its target. Another program may hold the old page
  // open for a moment (the view while it reloads), so a failed replace is
  // tried again 10 times, 100 ms apart.
  bool Commit() {
    if (!m_writer.Close()) return false;
    // Replacing a good page: make sure the new one is on disk first. A new
    // page has nothing to lose and skips the wait.
    std::error_code ignored;
    if (fs::exists(m_target, ignored) && !FlushToDisk(m_temp)) return false;
    for (int retries = 0;; ++retries) {
      std::error_code error;
      fs::rename(m_temp, m_target, error);
      if (!error) {
        m_temp.clear();
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (retries >= 10) return false;
    }
  }

  void Discard() {
    if (m_writer.IsOpen()) m_writer.Close();
    if (!m_temp.empty()) {
      std::error_code ignored;
      fs::remove(m_temp, ignored);
      m_temp.clear();
    }
  }

 private:
  fs::path m_target;
  ActiveContentFilter& m_filter;
  fs::path m_temp;
  text::TextFileWriter m_writer;
  std::string m_cleaned;
};

}  // namespace

CHtmlCreater::CHtmlCreater() : m_bRemoveAnchor(GetProfileInt("Download", "RemoveAnchor", 0) != 0) {
  ReplaceRuleSet loaded = LoadReplaceRules(app::RulesPath());
  m_rules = std::move(loaded.rules);
  m_invalidRulePatterns = std::move(loaded.invalidPatterns);
  m_ruleTimeouts.assign(m_rules.size(), 0);
}

CHtmlCreater::~CHtmlCreater() = default;

void CHtmlCreater::StartPage() {
  m_check = ListingCheck{};
  m_failure.clear();
  m_ruleTimeouts.assign(m_rules.size(), 0);
  BeginPage();
}

void CHtmlCreater::FailOnFile(const fs::path& path, const char* whatFailedUtf8) {
  m_failure = DisplayPath(path) + text::Utf8ToCp932(whatFailedUtf8);
  ReportFileError(path, whatFailedUtf8);
}

bool CHtmlCreater::ReadListing(const fs::path& downloaded, const std::function<void()>& onListingLine) {
  const bool read = ForEachPageLine(downloaded, [&](std::string& line) {
    if (line.empty()) return;
    m_line.swap(line);
    if (!IsTarget()) return;
    m_check.anyListingLine = true;
    // Looked for before the line is converted, which may change it.
    if (!m_check.programmeSeen) m_check.programmeSeen = HoldsProgramme();
    onListingLine();
  });
  if (!read) FailOnFile(downloaded, " を読み込めません。");
  return read;
}

bool CHtmlCreater::AcceptListing() {
  // A page without a single listing line (an error page, an empty body)
  // never replaces a page: the old one stays.
  if (!m_check.anyListingLine) {
    Fail(text::Utf8ToCp932("番組表が見つかりません（ページに番組表がありません）"));
    return false;
  }
  if (!m_bRequireComplete) return true;
  if (!m_check.listingEnded) {
    Fail(text::Utf8ToCp932("番組表が途中で切れています"));
    return false;
  }
  if (!m_check.programmeSeen) {
    Fail(text::Utf8ToCp932("番組表に番組がありません"));
    return false;
  }
  return true;
}

bool CHtmlCreater::CreateHead(const fs::path& downloaded, const fs::path& headPage) {
  StartPage();
  PageFile page(headPage, m_activeContent);
  if (!page.Open()) {
    FailOnFile(headPage, " を作成できません。");
    return false;
  }
  bool written = page.WriteOwn(kPageStart) && page.WriteOwn(kHeadPageTop) && page.WriteOwn(kStylesheets) &&
                 page.WriteOwn(kHeadPageBody);
  bool writing = true;
  // Reading goes on to the end of the page, so that IsTarget sees every line.
  if (!ReadListing(downloaded, [&] {
        if (IsHeadEnd()) {
          writing = false;
        } else if (writing) {
          ConvertLine();
          written = written && page.WriteListing(m_line);
        }
      }))
    return false;
  // Also no header page without channels: it would never be written again.
  if (!AcceptListing()) return false;
  if (!(written && page.WriteOwn(kHeadPageEnd) && page.Commit())) {
    FailOnFile(headPage, " に書き込めません。");
    return false;
  }
  return true;
}

bool CHtmlCreater::CreateData(const fs::path& downloaded, const fs::path& dataPage, const std::string& title) {
  StartPage();
  m_watchLinks.StartPage();
  PageFile page(dataPage, m_activeContent);
  if (!page.Open()) {
    FailOnFile(dataPage, " を作成できません。");
    return false;
  }
  bool written = page.WriteOwn(kPageStart) && page.WriteOwn(kDataPageTop) && page.WriteOwn(kStylesheets) &&
                 page.WriteOwn("  <title>") && page.WriteOwn(title) && page.WriteOwn("</title>\n") &&
                 page.WriteOwn(kDataPageBody);
  if (!ReadListing(downloaded, [&] {
        if (IsHeadEnd()) written = written && page.WriteOwn(kDataPageBodyStart);
        ConvertLine();
        // The watch links go in before the filter reads the line, so that it
        // sees the line exactly as it is written.
        ReplaceWatch();
        written = written && page.WriteListing(m_line);
      }))
    return false;
  if (!AcceptListing()) return false;
  if (!(written && page.WriteOwn(kDataPageEnd) && page.Commit())) {
    FailOnFile(dataPage, " に書き込めません。");
    return false;
  }
  return true;
}

bool CHtmlCreater::CreateIndex(const fs::path& path) { return app::CreateIndex(path); }

void CHtmlCreater::ConvertLine() {
  // Leading rules that cannot match leave the text as it is, so the rules
  // after them see the same line: skip them on a cheap look at the bytes.
  size_t first = 0;
  while (first < m_rules.size() && !m_rules[first].MayMatchLine(m_line)) ++first;
  m_wide = text::Cp932ToWide(m_line);
  CollapseWhiteSpace(m_wide);
  // A rule that runs too long or grows the line too much is left out of the
  // line; one that keeps running too long is left out of the rest of the page.
  const size_t limit = RuleLengthLimit(m_wide.size());
  for (size_t i = first; i < m_rules.size(); ++i) {
    if (m_ruleTimeouts[i] >= kMaxRuleTimeoutsPerPage) continue;
    const CReplaceRule::Outcome outcome = m_rules[i].Apply(m_wide, m_wideScratch, limit);
    if (outcome == CReplaceRule::Outcome::OverTime) ++m_ruleTimeouts[i];
    ReportRuleBound(m_rules[i], outcome);
  }
  m_line = text::WideToCp932(m_wide);
}

bool CHtmlCreater::HasStartTime(std::string_view opening, std::string_view closing) const {
  const std::string_view line = m_line;
  auto digit = [&line](size_t at) { return at < line.size() && line[at] >= '0' && line[at] <= '9'; };
  for (size_t at = line.find(opening); at != std::string_view::npos; at = line.find(opening, at + 1)) {
    size_t p = at + opening.size();
    if (!digit(p)) continue;
    p += digit(p + 1) ? 2 : 1;
    if (p < line.size() && line[p] == ':' && digit(p + 1) && digit(p + 2) && line.substr(p + 3, closing.size()) == closing)
      return true;
  }
  return false;
}

void CHtmlCreater::ReplaceWatch() { m_watchLinks.Replace(m_line); }

void CHtmlCreater::EucToSjis() { m_line = EucJpToCp932(m_line); }

void CHtmlCreater::Utf8ToAnsi() { m_line = text::Utf8ToCp932(m_line); }

void CHtmlCreater::Rewrite(const text::Regex& pattern, const LiteralFinder& requiredLiteral, std::string_view format) {
  if (!requiredLiteral.FoundIn(m_line)) return;
  ReplaceAllUnlessLimited<char>(pattern, format, m_line, m_scratch);
}

void CHtmlCreater::CutAtZeroByte() {
  const size_t zero = m_line.find('\0');
  if (zero != std::string::npos) m_line.resize(zero);
}

}  // namespace kanro::listing
