#include "sources/source_html_creater.h"

#include "listing/url_encode.h"
#include "sources/day_page.h"

namespace kanro::sources {
namespace {

// The title without its tags, as the watch links carry it.
std::string WithoutTags(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '<') {
      const size_t close = text.find('>', i);
      if (close != std::string_view::npos) {
        i = close;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

}  // namespace

void CSourceHtmlCreater::ReplaceStableWatch(std::string& line) {
  static constexpr std::string_view kOpen = "placeholder=\"ID=";
  static constexpr std::string_view kTime = "&TIME=";
  static constexpr std::string_view kTitle = "&TITLE=";
  static constexpr std::string_view kClose = "end_of_placeholder\"";
  std::string out;
  size_t pos = 0;
  for (size_t at = line.find(kOpen); at != std::string::npos; at = line.find(kOpen, pos)) {
    size_t digits = at + kOpen.size();
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
    const size_t close = line.find(kClose, digits);
    const bool shaped = digits > at + kOpen.size() && close != std::string::npos &&
                        line.compare(digits, kTime.size(), kTime) == 0;
    const size_t title = shaped ? line.find(kTitle, digits + kTime.size()) : std::string::npos;
    if (title == std::string::npos || title > close) {
      // Not one of ours (a rule changed it): left for the composer.
      out.append(line, pos, at + kOpen.size() - pos);
      pos = at + kOpen.size();
      continue;
    }
    const std::string_view text = line;
    out.append(line, pos, at - pos);
    out += "href=\"prp://watch?ID=";
    out += text.substr(at + kOpen.size(), digits - at - kOpen.size());
    out += kTime;
    out += listing::UrlEncode(text.substr(digits + kTime.size(), title - digits - kTime.size()));
    out += kTitle;
    out += listing::UrlEncode(WithoutTags(text.substr(title + kTitle.size(), close - title - kTitle.size())));
    out += '"';
    pos = close + kClose.size();
  }
  if (pos == 0) return;
  out.append(line, pos);
  line.swap(out);
}

void CSourceHtmlCreater::ConvertLine() {
  CHtmlCreater::ConvertLine();
  // Before the composer's ReplaceWatch, which would number them per page.
  ReplaceStableWatch(m_line);
}

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
