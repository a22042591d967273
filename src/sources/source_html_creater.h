#pragma once
// The page converter of the sources that are not web pages: reads the
// intermediate page of day_page.h (already CP932) and hands its lines to the
// page composer. No site rewrites; the user's rules and the active-content
// filter run in the composer's ConvertLine as for the site pages.
#include <string>

#include "listing/html_creater.h"

namespace kanro::sources {

class CSourceHtmlCreater : public listing::CHtmlCreater {
 public:
  // Every programme's placeholder carries its own watch ID, which its link keeps.
  CSourceHtmlCreater() { KeepGivenWatchIds(); }

 protected:
  bool IsTarget() override;
  bool IsHeadEnd() override;
  void BeginPage() override { m_bInside = false; }
  // Every programme cell of the intermediate page carries its own watch ID,
  // also one continued from the day before, which shows no start time.
  bool HoldsProgramme() override { return m_line.find("placeholder=\"ID=") != std::string::npos; }

 private:
  bool m_bInside = false;
};

}  // namespace kanro::sources
