#include "export/icalendar_writer.h"

#include "export/utf8_clean.h"

namespace kanro::exports {

std::string EscapeICalendarText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() + 8);
  ForEachUtf8Char(utf8, [&](char32_t c, std::string_view bytes) {
    switch (c) {
      case U'\\': out += "\\\\"; break;
      case U';': out += "\\;"; break;
      case U',': out += "\\,"; break;
      case U'\n': out += "\\n"; break;
      case U'\r': break;  // CR LF and CR alike end up as one \n
      default: out += bytes;  // other controls arrive as U+FFFD already
    }
  });
  return out;
}

std::string FoldContentLine(std::string_view line) {
  constexpr size_t kLimit = 75;
  std::string out;
  size_t used = 0;  // octets on the current physical line
  ForEachUtf8Char(line, [&](char32_t, std::string_view bytes) {
    if (used + bytes.size() > kLimit) {
      out += "\r\n ";
      used = 1;
    }
    out += bytes;
    used += bytes.size();
  });
  out += "\r\n";
  return out;
}

void ICalendarWriter::Line(std::string_view name, std::string_view value) {
  std::string line;
  line.reserve(name.size() + value.size() + 1);
  line += name;
  line += ':';
  line += value;
  out_ << FoldContentLine(line);
}

void ICalendarWriter::Text(std::string_view name, std::string_view utf8) { Line(name, EscapeICalendarText(utf8)); }

}  // namespace kanro::exports
