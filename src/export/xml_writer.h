#pragma once
// The one XML writer of the exports: elements, attributes and text go out
// escaped and as valid UTF-8, straight into a stream (nothing is kept but
// the names of the open elements).
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kanro::exports {

using XmlAttributes = std::initializer_list<std::pair<std::string_view, std::string_view>>;

// Text escaped for element content, or for a double-quoted attribute value.
std::string EscapeXml(std::string_view utf8, bool attribute);

class XmlWriter {
 public:
  explicit XmlWriter(std::ostream& out) : out_(out) {}
  // <?xml ... encoding="UTF-8"?> and <!DOCTYPE root SYSTEM "systemId">.
  void Prologue(std::string_view root, std::string_view systemId);
  void Open(std::string_view name, XmlAttributes attributes = {});
  void Close();
  // <name ...>text</name>
  void Element(std::string_view name, std::string_view text, XmlAttributes attributes = {});
  // <name .../>
  void Empty(std::string_view name, XmlAttributes attributes = {});
  bool good() const { return static_cast<bool>(out_); }

 private:
  void StartTag(std::string_view name, XmlAttributes attributes);
  void Indent();

  std::ostream& out_;
  std::vector<std::string> open_;
};

}  // namespace kanro::exports
