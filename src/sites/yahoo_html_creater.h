#pragma once
// Converter for the Yahoo radio listing pages (UTF-8).
#include <vector>

#include "listing/html_creater.h"
#include "sites/site_rewrite.h"
#include "text/regex.h"

namespace kanro::sites {

class CYahooHtmlCreater : public listing::CHtmlCreater {
 public:
  CYahooHtmlCreater();
  ~CYahooHtmlCreater() override;

  // The rewrites ConvertLine applies after the UTF-8 conversion, in order.
  static const std::vector<SiteRewrite>& Rewrites();

 protected:
  void ConvertLine() override;
  bool IsTarget() override;
  bool IsHeadEnd() override;
  void BeginPage() override;
  bool HoldsProgramme() override;

 private:
  bool m_bInside = false;
  SiteRewriter m_rewriter;
};

}  // namespace kanro::sites
