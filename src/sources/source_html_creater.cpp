#include "sources/source_html_creater.h"

#include "sources/day_page.h"

namespace kanro::sources {

bool CSourceHtmlCreater::IsTarget() {
  if (m_line.find(kTopMarker) != std::string::npos) m_bInside = true;
  if (m_line.find(kBottomMarker) != std::string::npos) {
    if (m_bInside) NoteListingEnd();
    m_bInside = false;
  }
  return m_bInside;
}

bool CSourceHtmlCreater::IsHeadEnd() { return m_line.find(kHeadEndMarker) != std::string::npos; }

}  // namespace kanro::sources
