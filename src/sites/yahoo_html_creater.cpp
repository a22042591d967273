#include "sites/yahoo_html_creater.h"

#include "sites/site_hosts.h"

namespace kanro::sites {
namespace {

const std::string kAbsoluteLink = std::string("href=\"http://") + kYahooHost + "/";

}  // namespace

CYahooHtmlCreater::CYahooHtmlCreater()
    : m_hiddenRow(" class=n"),
      m_whiteBackground(R"( bgcolor = "#FFFFFF")"),
      m_timeColumn(R"(<td class="scroller" rowspan='60'.*?>(.*?)</td>)"),
      m_topCell("valign='top'"),
      m_hourCell(R"(<td class="scroller"(.*?)>(.*?)</td>)"),
      m_stationCell(R"(<td class="station">(.*?)</td>)"),
      m_time(R"(<span class="detail"><span class="time">(.*?)</span>)"),
      m_title(R"(<a class="title">(.*?)</a>&nbsp;</span>)"),
      m_anchor(R"(<a\s+href.*?>(.*?)</a>)"),
      m_siteRelative(R"(href="/)") {}

CYahooHtmlCreater::~CYahooHtmlCreater() = default;

void CYahooHtmlCreater::BeginPage() { m_bInside = false; }

bool CYahooHtmlCreater::IsTarget() {
  // From the first row of the listing table up to the line that closes it;
  // both markers are looked for in the line as downloaded.
  if (m_line.find("\t<tr bgcolor = \"#FFFFFF\">") != std::string::npos) m_bInside = true;
  if (m_line.find("</td></tr></table>") != std::string::npos) {
    m_bInside = false;
    return false;
  }
  return m_bInside;
}

bool CYahooHtmlCreater::IsHeadEnd() {
  return m_line.find(
             "<tr bgcolor = \"#FFFFFF\"><td class=\"scroller\" rowspan='60' width='1%' align='center'>5</td>") !=
         std::string::npos;
}

void CYahooHtmlCreater::ConvertLine() {
  Utf8ToAnsi();
  Rewrite(m_hiddenRow, R"( style="display: none;")");
  Rewrite(m_whiteBackground, "");
  Rewrite(m_timeColumn, R"(<td class="epg_td_time" rowspan='60'><a name="$1">$1</a></td>)");
  Rewrite(m_topCell, R"(valign='top' class="genre_XX")");
  Rewrite(m_hourCell, R"(<th class="hour"$1>$2</th>)");
  Rewrite(m_stationCell, R"(<th class="channel">$1</th>)");
  Rewrite(m_time, "<strong>$1</strong>");
  Rewrite(m_title, "<strong>$1</strong>");
  if (m_bRemoveAnchor)
    Rewrite(m_anchor, "$1");
  else
    Rewrite(m_siteRelative, kAbsoluteLink);
  CutAtZeroByte();
  CHtmlCreater::ConvertLine();
}

}  // namespace kanro::sites
