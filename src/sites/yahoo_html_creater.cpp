#include "sites/yahoo_html_creater.h"

namespace kanro::sites {

CYahooHtmlCreater::CYahooHtmlCreater() = default;
CYahooHtmlCreater::~CYahooHtmlCreater() = default;
void CYahooHtmlCreater::ConvertLine() { CHtmlCreater::ConvertLine(); }
bool CYahooHtmlCreater::IsTarget() { return false; }
bool CYahooHtmlCreater::IsHeadEnd() { return false; }
void CYahooHtmlCreater::BeginPage() { m_bInside = false; }

}  // namespace kanro::sites
