#pragma once
// Removes active content from the listing lines of a page before they are
// written: the pages are shown from file URLs with access to local files, so
// nothing from the network may run code, load frames or reach file: URLs.
//
// Removed: script and style elements with their content; the tags (not the
// content) of iframe, frame, frameset, object, embed, applet, meta and base,
// and of the elements whose content a browser reads as plain text (title,
// textarea, xmp, noembed, noframes, noscript, plaintext), so that what is
// kept is read by the browser exactly as it is checked here; event-handler
// attributes (on...); attributes whose value is a javascript:, vbscript:,
// data: or file: address (character references and blanks inside the scheme
// are seen through, as browsers do).
//
// Lines are read as a browser reads the page they are written into, one after
// the other: a tag, comment or removed element may go on over several lines.
// A line without such content is left exactly as it is.
#include <cstdint>
#include <string>
#include <vector>

namespace kanro::listing {

class ActiveContentFilter {
 public:
  // A page starts outside any tag.
  void StartPage() {
    m_state = State{};
    m_removalGoesOn = false;
  }
  // Cleans one line (CP932 bytes) in place; true when it changed.
  bool Clean(std::string& line);

 private:
  enum class Mode : uint8_t { Text, Comment, Bogus, Tag, RemovedContent };
  enum class TagPart : uint8_t { Name, BeforeName, AttributeName, AfterName, BeforeValue, Quoted, Unquoted };
  struct State {
    Mode mode = Mode::Text;
    TagPart part = TagPart::BeforeName;
    char quote = 0;
    bool dropTag = false;        // the whole tag goes
    bool dropAttribute = false;  // the attribute being read goes
    bool valueDecided = false;   // its value is known to be harmless or not
    bool endTag = false;
    uint8_t rawEnd = 0;          // script or style content ends at its end tag
    std::string scheme;          // the start of the value as a browser reads it
  };
  struct Range {
    size_t begin;
    size_t end;
  };

  // One pass over the line from the state; removals go into m_ranges.
  void Scan(const std::string& line, State& state);
  void ScanTag(const std::string& line, size_t& at, State& state);
  // Feeds value bytes to the scheme check; true when the value is decided.
  bool FeedValue(const std::string& line, size_t& at, size_t end, State& state);
  static bool DecidedByFirst(const std::string& line, size_t at, size_t end, State& state);
  void Remove(size_t begin, size_t end);

  State m_state;
  // While a removal goes on over lines: the state a browser is in after what
  // was kept (m_state is the state of the lines as they came).
  bool m_removalGoesOn = false;
  State m_browserState;
  std::vector<Range> m_ranges;
  std::string m_scratch;
};

}  // namespace kanro::listing
