#include "listing/watch_links.h"

#include <cstdio>
#include <string_view>

#include "listing/replace_rule.h"
#include "listing/url_encode.h"

namespace kanro::listing {

WatchLinkWriter::WatchLinkWriter()
    : m_placeholder(R"(placeholder="()TIME=(.*?)&TITLE=(.*?)end_of_placeholder")"),
      m_placeholderWithId(R"(placeholder="(?:ID=(\d{4,18})&)?TIME=(.*?)&TITLE=(.*?)end_of_placeholder")"),
      m_tag("<.*?>") {}

void WatchLinkWriter::Replace(std::string& line) {
  if (line.find("placeholder=") == std::string::npos) return;
  // As with the rewrites: a limit hit may be another thread's, so one retry.
  if (!TryReplace(line)) TryReplace(line);
}

bool WatchLinkWriter::TryReplace(std::string& line) {
  const uint64_t limitHitsBefore = text::RegexLimitHits();
  int id = m_nextId;
  m_out.clear();
  size_t pos = 0;
  text::Regex::Match match;
  const text::Regex& placeholder = m_keepGivenIds ? m_placeholderWithId : m_placeholder;
  while (placeholder.Search(line, &match, pos)) {
    const auto& given = match.groups[1];
    const auto& time = match.groups[2];
    const auto& title = match.groups[3];
    m_out.append(line, pos, match.begin() - pos);
    m_out += "href=\"prp://watch?";
    if (given.matched && given.length() > 0) {
      m_out += "ID=";
      m_out.append(line, given.begin, given.length());
    } else {
      char idText[24];
      std::snprintf(idText, sizeof idText, "ID=%04d", id++);
      m_out += idText;
    }
    m_out += "&TIME=";
    m_out += UrlEncode(std::string_view(line).substr(time.begin, time.length()));
    m_title.assign(line, title.begin, title.length());
    ReplaceAllUnlessLimited<char>(m_tag, "", m_title, m_scratch);
    m_out += "&TITLE=";
    m_out += UrlEncode(m_title);
    m_out += '"';
    pos = match.end();
  }
  if (text::RegexLimitHits() != limitHitsBefore) return false;
  m_out.append(line, pos);
  line.swap(m_out);
  m_nextId = id;
  return true;
}

}  // namespace kanro::listing
