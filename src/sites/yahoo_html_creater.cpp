#include "sites/yahoo_html_creater.h"

#include "sites/site_hosts.h"

namespace kanro::sites {

const std::vector<SiteRewrite>& CYahooHtmlCreater::Rewrites() {
  using W = RewriteWhen;
  static const std::vector<SiteRewrite> rewrites = {
      // Rows the site marks as hidden stay hidden; the white background goes.
      {" class=n", R"( style="display: none;")", W::Always},
      {R"( bgcolor = "#FFFFFF")", "", W::Always},
      // The left hour column becomes time cells with an anchor named after the hour.
      {R"(<td class="scroller" rowspan='60'.*?>(.*?)</td>)",
       R"(<td class="epg_td_time" rowspan='60'><a name="$1">$1</a></td>)", W::Always},
      {"valign='top'", R"(valign='top' class="genre_XX")", W::Always},
      // The program's own hour and channel header cells.
      {R"(<td class="scroller"(.*?)>(.*?)</td>)", R"(<th class="hour"$1>$2</th>)", W::Always},
      {R"(<td class="station">(.*?)</td>)", R"(<th class="channel">$1</th>)", W::Always},
      // Start time and title as bold text.
      {R"(<span class="detail"><span class="time">(.*?)</span>)", "<strong>$1</strong>", W::Always},
      {R"(<a class="title">(.*?)</a>&nbsp;</span>)", "<strong>$1</strong>", W::Always},
      {R"(<a\s+href.*?>(.*?)</a>)", "$1", W::RemoveAnchor},
      {R"(href="/)", std::string("href=\"http://") + kYahooHost + "/", W::KeepAnchor},
  };
  return rewrites;
}

CYahooHtmlCreater::CYahooHtmlCreater() : m_rewriter(Rewrites()) {}

CYahooHtmlCreater::~CYahooHtmlCreater() = default;

void CYahooHtmlCreater::BeginPage() { m_bInside = false; }

bool CYahooHtmlCreater::IsTarget() {
  // From the first row of the listing table up to the line that closes it;
  // both markers are looked for in the line as downloaded.
  if (m_line.find("\t<tr bgcolor = \"#FFFFFF\">") != std::string::npos) m_bInside = true;
  if (m_line.find("</td></tr></table>") != std::string::npos) {
    if (m_bInside) NoteListingEnd();
    m_bInside = false;
    return false;
  }
  return m_bInside;
}

bool CYahooHtmlCreater::HoldsProgramme() { return HasStartTime("<span class=\"time\">", "</span>"); }

bool CYahooHtmlCreater::IsHeadEnd() {
  return m_line.find(
             "<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='60' width='1%' align='center'>5</td>") !=
         std::string::npos;
}

void CYahooHtmlCreater::ConvertLine() {
  Utf8ToAnsi();
  m_rewriter.ForEach(m_bRemoveAnchor, false,
                     [this](const text::Regex& pattern, const listing::LiteralFinder& literal,
                            const std::string& replacement) { Rewrite(pattern, literal, replacement); });
  CutAtZeroByte();
  CHtmlCreater::ConvertLine();
}

}  // namespace kanro::sites
