#pragma once
// Converter for the goo listing pages (EUC-JP).
#include "listing/html_creater.h"
#include "text/regex.h"

namespace kanro::sites {

class CGooHtmlCreater : public listing::CHtmlCreater {
 public:
  CGooHtmlCreater();
  ~CGooHtmlCreater() override;

 protected:
  void ConvertLine() override;
  bool IsTarget() override;
  bool IsHeadEnd() override;
  void BeginPage() override;

 private:
  bool m_bInside = false;
  bool m_bRemoveGCode = true;  // "Download"/"GCode" is 0, read per page
  text::Regex m_iconPath, m_hourHead, m_emptyHourRow, m_channelHead, m_hourAnchor, m_programme,
      m_iepgLink, m_anchor, m_siteRelative, m_rightCell;
};

}  // namespace kanro::sites
