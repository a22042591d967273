#pragma once
// A tolerant scanner over the bytes of our own CP932 pages: text, start and
// end tags with their attributes, comments. It never fails: markup it cannot
// read is text, and a tag cut off by the end of the page is dropped. The
// bytes that shape markup (< > " ' = blanks) are below 0x40, so no CP932
// trail byte is ever taken for one of them.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::exports {

struct HtmlAttribute {
  std::string_view name;   // as written
  std::string_view value;  // without its quotes; entities left as written
};

struct HtmlToken {
  enum class Kind { Text, StartTag, EndTag, Comment };
  Kind kind = Kind::Text;
  std::string_view raw;   // the text, or the whole tag or comment
  std::string name;       // tags: the name in lower case
  bool selfClosing = false;
  std::vector<HtmlAttribute> attributes;

  bool Is(Kind k, std::string_view tagName) const { return kind == k && name == tagName; }
  // The value of the first attribute of this name (any letter case); empty
  // when absent, with *present telling the two apart.
  std::string_view Attribute(std::string_view attributeName, bool* present = nullptr) const;
};

class HtmlScanner {
 public:
  explicit HtmlScanner(std::string_view page) : page_(page) {}
  // The next token; false at the end of the page.
  bool Next(HtmlToken& token);
  size_t offset() const { return pos_; }

 private:
  bool ReadTag(size_t start, HtmlToken& token);

  std::string_view page_;
  size_t pos_ = 0;
};

// True for the elements that never have content (img, br, ...).
bool IsVoidElement(std::string_view lowerName);
// True when the space-separated class list holds the name.
bool HasClass(std::string_view classList, std::string_view name);
// True when a style attribute hides the element ("display: none").
bool StyleHides(std::string_view style);
// Text of a page (CP932, with character references) as UTF-8: references
// decoded, runs of white space folded to one blank.
void AppendHtmlText(std::string_view cp932, std::string& utf8);
// Folds white space and trims both ends.
std::string TrimmedText(std::string_view utf8);
// TrimmedText of every line ("\n"-separated); empty lines are dropped.
std::string TrimmedLines(std::string_view utf8);
// An attribute value (CP932) as UTF-8 with its references decoded.
std::string AttributeText(std::string_view cp932);

}  // namespace kanro::exports
