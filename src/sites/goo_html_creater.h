#pragma once
// Converter for the goo listing pages (EUC-JP).
#include <vector>

#include "listing/html_creater.h"
#include "sites/site_rewrite.h"
#include "text/regex.h"

namespace kanro::sites {

class CGooHtmlCreater : public listing::CHtmlCreater {
 public:
  CGooHtmlCreater();
  ~CGooHtmlCreater() override;

  // The rewrites ConvertLine applies after the EUC-JP conversion, in order.
  static const std::vector<SiteRewrite>& Rewrites();

 protected:
  void ConvertLine() override;
  bool IsTarget() override;
  bool IsHeadEnd() override;
  void BeginPage() override;
  bool HoldsProgramme() override;

 private:
  bool m_bInside = false;
  bool m_bRemoveGCode = true;  // "Download"/"GCode" is 0, read per page
  SiteRewriter m_rewriter;
};

}  // namespace kanro::sites
