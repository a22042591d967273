#include "export/xml_writer.h"

#include "export/utf8_clean.h"

namespace kanro::exports {

std::string EscapeXml(std::string_view utf8, bool attribute) {
  // Most text needs nothing: plain printable ASCII goes through as it is.
  bool plain = true;
  for (char c : utf8)
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F || c == '&' || c == '<' ||
        c == '>' || c == '"') {
      plain = false;
      break;
    }
  if (plain) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size() + 8);
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view bytes) {
    switch (c) {
      case U'&': out += "&amp;"; break;
      case U'<': out += "&lt;"; break;
      case U'>': out += "&gt;"; break;
      case U'"': out += attribute ? "&quot;" : "\""; break;
      // Attribute values would fold these to blanks: keep them as references.
      case U'\t': out += attribute ? "&#9;" : "\t"; break;
      case U'\n': out += attribute ? "&#10;" : "\n"; break;
      case U'\r': out += "&#13;"; break;
      default: out += bytes;
    }
  });
  return out;
}

void XmlWriter::Prologue(std::string_view root, std::string_view systemId) {
  out_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE " << root << " SYSTEM \""
       << EscapeXml(systemId, true) << "\">\n";
}

void XmlWriter::Indent() {
  for (size_t i = 0; i < open_.size(); ++i) out_ << "  ";
}

void XmlWriter::StartTag(std::string_view name, XmlAttributes attributes) {
  Indent();
  out_ << '<' << name;
  for (const auto& [key, value] : attributes) out_ << ' ' << key << "=\"" << EscapeXml(value, true) << '"';
}

void XmlWriter::Open(std::string_view name, XmlAttributes attributes) {
  StartTag(name, attributes);
  out_ << ">\n";
  open_.emplace_back(name);
}

void XmlWriter::Close() {
  if (open_.empty()) return;
  std::string name = std::move(open_.back());
  open_.pop_back();
  Indent();
  out_ << "</" << name << ">\n";
}

void XmlWriter::Element(std::string_view name, std::string_view text, XmlAttributes attributes) {
  StartTag(name, attributes);
  out_ << '>' << EscapeXml(text, false) << "</" << name << ">\n";
}

void XmlWriter::Empty(std::string_view name, XmlAttributes attributes) {
  StartTag(name, attributes);
  out_ << "/>\n";
}

}  // namespace kanro::exports
