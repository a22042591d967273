#pragma once
// Converter for the Yahoo radio listing pages (UTF-8).
#include "listing/html_creater.h"
#include "text/regex.h"

namespace kanro::sites {

class CYahooHtmlCreater : public listing::CHtmlCreater {
 public:
  CYahooHtmlCreater();
  ~CYahooHtmlCreater() override;

 protected:
  void ConvertLine() override;
  bool IsTarget() override;
  bool IsHeadEnd() override;
  void BeginPage() override;

 private:
  bool m_bInside = false;
  text::Regex m_hiddenRow, m_whiteBackground, m_timeColumn, m_topCell, m_hourCell, m_stationCell,
      m_time, m_title, m_anchor, m_siteRelative;
};

}  // namespace kanro::sites
