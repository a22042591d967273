#pragma once
// Removes active content from the listing bytes of a page as they are
// written: the pages are shown from file URLs with access to local files, and
// may be opened in any browser, so nothing from the network may run code,
// load frames, reach file: URLs or load resources from elsewhere.
//
// The filter reads the bytes it lets through as an HTML tokenizer does (the
// data, tag, attribute, comment and bogus-comment states), so its state is
// always the state a browser is in after the bytes written so far. Whatever
// it removes, what is written next is read from that state, so removed parts
// can never make the rest mean something else.
//
// Removed:
// - script and style elements with their content;
// - the tags (not the content) of elements that load or run something
//   (iframe, frame, frameset, object, embed, applet, portal, meta, base, link,
//   form), of those whose content a browser would read in another tokenizer
//   state (title, textarea, xmp, noembed, noframes, noscript, plaintext,
//   template, isindex), and of svg and math, so that a page never holds foreign
//   content, where CDATA sections would be read differently;
// - event-handler attributes (on...); attributes whose value is a
//   javascript:, vbscript:, data: or file: address, read as a URL parser reads
//   it (character references decoded, blanks and controls ignored);
// - resource addresses (src, srcset, poster, background, ...) other than the
//   program's own images "../Image/..."; style attributes that could load
//   something (url(), image(), @import, CSS escapes).
// A text "<" right before a tag is written as "&lt;", which reads the same, so
// that no removal after it can make it start a tag.
//
// The composer's own markup (the page skeleton, the row that starts the table
// body) goes in with WriteOwn-style calls: a construct the listing left open
// there (a tag, a comment cut at the end of a line) is dropped first, so the
// skeleton is read exactly as written. Lines without active content pass
// byte for byte.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::listing {

class ActiveContentFilter {
 public:
  // A page starts in the data state.
  void StartPage();
  // Appends the cleaned form of listing bytes to out. A construct that goes on
  // past the end of in is held back until it ends.
  void Listing(std::string_view in, std::string& out);
  // Before the composer's own markup, and at the end of the page: a construct
  // still open is dropped, and the state is the data state again.
  void Seal();
  // True when something was removed or rewritten since StartPage.
  bool Changed() const { return m_changed; }

 private:
  enum class Mode : uint8_t { Data, Open, Tag, Comment, Bogus, RemovedContent };
  enum class Part : uint8_t {
    Name, BeforeAttribute, AttributeName, AfterAttributeName, BeforeValue,
    DoubleQuoted, SingleQuoted, Unquoted, AfterQuoted, SelfClosing
  };
  struct Range {
    size_t begin;
    size_t end;
  };

  // Runs the tokenizer over work from at; emits what is decided into out.
  void Run(std::string_view work, size_t at, std::string& out);
  // Tag states from at; true when the tag ended (at is after its ">").
  bool RunTag(std::string_view work, size_t& at);
  // The attribute from m_attribute to end (relative offsets) is complete.
  void FinishAttribute(std::string_view construct, size_t end);
  // The construct [m_start, end) of work ended; writes it or its cleaned form.
  void EndConstruct(std::string_view work, size_t end, std::string& out);
  void Emit(std::string_view work, size_t end, std::string& out);

  Mode m_mode = Mode::Data;
  Part m_part = Part::Name;
  bool m_endTag = false;
  bool m_dropTag = false;
  uint8_t m_removeUntil = 0;  // 1 script, 2 style: content removed to its end tag
  bool m_changed = false;
  // Offsets relative to the start of the construct in progress.
  size_t m_start = 0;          // in the work buffer
  size_t m_attribute = 0;      // start of the attribute being read
  size_t m_attributeNameEnd = 0;
  size_t m_value = 0;          // start of its value (after a quote)
  size_t m_valueEnd = 0;
  bool m_hasValue = false;
  size_t m_resume = 0;         // where a comment search goes on
  size_t m_emitted = 0;        // work bytes before this were written
  std::vector<Range> m_drops;  // attribute ranges to leave out
  std::string m_pending;       // the open construct, when it spans calls
  std::string m_scratch;
};

}  // namespace kanro::listing
