#include "sites/goo_html_creater.h"

namespace kanro::sites {

CGooHtmlCreater::CGooHtmlCreater() = default;
CGooHtmlCreater::~CGooHtmlCreater() = default;
void CGooHtmlCreater::ConvertLine() { CHtmlCreater::ConvertLine(); }
bool CGooHtmlCreater::IsTarget() { return false; }
bool CGooHtmlCreater::IsHeadEnd() { return false; }
void CGooHtmlCreater::BeginPage() { m_bInside = false; }

}  // namespace kanro::sites
