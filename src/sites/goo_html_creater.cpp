#include "sites/goo_html_creater.h"

#include "app/settings_store.h"
#include "sites/site_hosts.h"

namespace kanro::sites {

const std::vector<SiteRewrite>& CGooHtmlCreater::Rewrites() {
  using W = RewriteWhen;
  static const std::vector<SiteRewrite> rewrites = {
      // Icons from the local image folder.
      {"/tv/img/icon/", "../Image/", W::Always},
      // The program's own hour and channel header cells; the empty hour row goes.
      {R"(<th width=".*" align="center">)", R"(<th class="hour">)", W::Always},
      {R"(<tr><th class="hour">&nbsp;</th>.*?</tr>)", "", W::Always},
      {R"(<th align="center" valign="middle" width=".*" class="showbg">)", R"(<th class="channel">)", W::Always},
      // The hour link becomes an anchor named after the hour. It runs before
      // the link removal, which needs "href" and so leaves it alone.
      {R"(^(<tr><th class="epg_td_time".*?)<a.*?>(.*?)</a>)", R"($1<a name="$2">$2</a>)", W::Always},
      // A watch placeholder after each programme's link: start time, title.
      {R"(<td\s+.*?<strong>(.*?)</strong>.*?<strong>(.*?)</strong></a>)",
       R"($& <a placeholder="TIME=$1&TITLE=$2end_of_placeholder"><img src="../Image/watch.gif" border="0"></a>)",
       W::Always},
      // iEPG links get their class before the right-aligned cells may go.
      {R"(<td align="right"><a )", R"(<td align="right"><a class="iepg" )", W::Always},
      {R"(<a\s+href.*?>(.*?)</a>)", "$1", W::RemoveAnchor},
      {R"(href="/)", std::string("href=\"http://") + kGooHost + "/", W::KeepAnchor},
      {R"(<td align="right">.*?</td>)", "", W::NoGCode},
  };
  return rewrites;
}

CGooHtmlCreater::CGooHtmlCreater() : m_rewriter(Rewrites()) {}

CGooHtmlCreater::~CGooHtmlCreater() = default;

void CGooHtmlCreater::BeginPage() {
  m_bInside = false;
  // Read once per page rather than once per line: the value cannot usefully
  // change in the middle of a page.
  m_bRemoveGCode = GetProfileInt("Download", "GCode", 0) == 0;
}

bool CGooHtmlCreater::IsTarget() {
  // The line with the top marker and every line up to the bottom marker.
  const size_t top = m_line.find("<!--ch_top-->");
  const size_t bottom = m_line.find("<!--ch_bottom-->");
  if (top == std::string::npos && bottom == std::string::npos) return m_bInside;
  if (m_bInside && bottom != std::string::npos) NoteListingEnd();
  m_bInside = !m_bInside;
  // A table written on one line: the bottom marker after the top one ends
  // the listing with this very line.
  if (m_bInside && top != std::string::npos && bottom != std::string::npos && bottom > top) {
    NoteListingEnd();
    m_bInside = false;
    return true;
  }
  return m_bInside;
}

bool CGooHtmlCreater::HoldsProgramme() { return HasStartTime("<strong>", "</strong>"); }

bool CGooHtmlCreater::IsHeadEnd() { return m_line.find("<!--/ch_top-->") != std::string::npos; }

void CGooHtmlCreater::ConvertLine() {
  EucToSjis();
  m_rewriter.ForEach(m_bRemoveAnchor, m_bRemoveGCode,
                     [this](const text::Regex& pattern, const listing::LiteralFinder& literal,
                            const std::string& replacement) { Rewrite(pattern, literal, replacement); });
  CutAtZeroByte();
  CHtmlCreater::ConvertLine();
}

}  // namespace kanro::sites
