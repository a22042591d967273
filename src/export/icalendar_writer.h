#pragma once
// The one iCalendar writer of the exports: content lines with TEXT values
// escaped, every line folded at 75 octets (never inside a UTF-8 character)
// and ended with CR LF, straight into a stream.
#include <ostream>
#include <string>
#include <string_view>

namespace kanro::exports {

// A TEXT value: backslash, semicolon, comma and line ends escaped.
std::string EscapeICalendarText(std::string_view utf8);
// One content line as written: folded into pieces of at most 75 octets, each
// ended with CR LF, continuation lines starting with a blank.
std::string FoldContentLine(std::string_view line);

class ICalendarWriter {
 public:
  explicit ICalendarWriter(std::ostream& out) : out_(out) {}
  void Begin(std::string_view component) { Line("BEGIN", component); }
  void End(std::string_view component) { Line("END", component); }
  // A property whose value is already in its format (dates, durations,
  // fixed words): written as given. name may carry parameters ("DTSTART;TZID=X").
  void Line(std::string_view name, std::string_view value);
  // A TEXT property: the value is escaped.
  void Text(std::string_view name, std::string_view utf8);
  bool good() const { return static_cast<bool>(out_); }

 private:
  std::ostream& out_;
};

}  // namespace kanro::exports
