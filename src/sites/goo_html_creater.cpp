#include "sites/goo_html_creater.h"

#include "app/settings_store.h"
#include "sites/site_hosts.h"

namespace kanro::sites {
namespace {

const std::string kAbsoluteLink = std::string("href=\"http://") + kGooHost + "/";

}  // namespace

CGooHtmlCreater::CGooHtmlCreater()
    : m_iconPath("/tv/img/icon/"),
      m_hourHead(R"(<th width=".*" align="center">)"),
      m_emptyHourRow(R"(<tr><th class="hour">&nbsp;</th>.*?</tr>)"),
      m_channelHead(R"(<th align="center" valign="middle" width=".*" class="showbg">)"),
      m_hourAnchor(R"(^(<tr><th class="epg_td_time".*?)<a.*?>(.*?)</a>)"),
      m_programme(R"(<td\s+.*?<strong>(.*?)</strong>.*?<strong>(.*?)</strong></a>)"),
      m_iepgLink(R"(<td align="right"><a )"),
      m_anchor(R"(<a\s+href.*?>(.*?)</a>)"),
      m_siteRelative(R"(href="/)"),
      m_rightCell(R"(<td align="right">.*?</td>)") {}

CGooHtmlCreater::~CGooHtmlCreater() = default;

void CGooHtmlCreater::BeginPage() {
  m_bInside = false;
  // Read once per page rather than once per line: the value cannot usefully
  // change in the middle of a page.
  m_bRemoveGCode = GetProfileInt("Download", "GCode", 0) == 0;
}

bool CGooHtmlCreater::IsTarget() {
  // The line with the top marker and every line up to the bottom marker.
  if (m_line.find("<!--ch_top-->") != std::string::npos || m_line.find("<!--ch_bottom-->") != std::string::npos)
    m_bInside = !m_bInside;
  return m_bInside;
}

bool CGooHtmlCreater::IsHeadEnd() { return m_line.find("<!--/ch_top-->") != std::string::npos; }

void CGooHtmlCreater::ConvertLine() {
  EucToSjis();
  Rewrite(m_iconPath, "../Image/");
  Rewrite(m_hourHead, R"(<th class="hour">)");
  Rewrite(m_emptyHourRow, "");
  Rewrite(m_channelHead, R"(<th class="channel">)");
  // Before the anchors are removed: the hour links become named anchors,
  // which the anchor removal (it needs "href") leaves alone.
  Rewrite(m_hourAnchor, R"($1<a name="$2">$2</a>)");
  Rewrite(m_programme,
          R"($& <a placeholder="TIME=$1&TITLE=$2end_of_placeholder"><img src="../Image/watch.gif" border="0"></a>)");
  Rewrite(m_iepgLink, R"(<td align="right"><a class="iepg" )");
  if (m_bRemoveAnchor)
    Rewrite(m_anchor, "$1");
  else
    Rewrite(m_siteRelative, kAbsoluteLink);
  if (m_bRemoveGCode) Rewrite(m_rightCell, "");
  CutAtZeroByte();
  CHtmlCreater::ConvertLine();
}

}  // namespace kanro::sites
