#pragma once
// Watch links: the site converters leave a placeholder attribute
//   placeholder="TIME=<start>&TITLE=<title>end_of_placeholder"
// in each programme cell; a data page turns it into
//   href="prp://watch?ID=0000&TIME=<encoded start>&TITLE=<encoded title>"
// with the tags removed from the title. IDs count from 0000 on each page, so an
// unchanged page gets the same IDs on every download. Listings that know what
// identifies a programme (a tuner server's event, an XMLTV start) write
//   placeholder="ID=<digits>&TIME=<start>&TITLE=<title>end_of_placeholder"
// and, for a writer told to keep them, the link carries that ID instead.
#include <string>

#include "text/regex.h"

namespace kanro::listing {

class WatchLinkWriter {
 public:
  WatchLinkWriter();
  // The next link gets the ID 0000.
  void StartPage() { m_nextId = 0; }
  // Placeholders that carry an ID keep it (and leave the count alone); off,
  // they are not watch placeholders at all.
  void KeepGivenIds(bool keep) { m_keepGivenIds = keep; }
  // Replaces every placeholder of the line, left to right. A line the regex
  // engine gives up on is left as it was.
  void Replace(std::string& line);

 private:
  // False (line untouched) when the regex engine gave up on the line.
  bool TryReplace(std::string& line);

  text::Regex m_placeholder;
  text::Regex m_placeholderWithId;
  text::Regex m_tag;
  int m_nextId = 0;
  bool m_keepGivenIds = false;
  std::string m_out;
  std::string m_title;
  std::string m_scratch;
};

}  // namespace kanro::listing
