#include "text/tokenizer.h"

#include "text/codepage.h"

namespace kanro::text {

std::vector<std::string> TokenizeList(std::string_view list, char separator) {
  std::vector<std::string> items;
  std::string current;
  bool quoted = false;
  bool pending = false;  // the current item has begun (it may still be empty)
  const size_t n = list.size();
  for (size_t i = 0; i < n; ++i) {
    const char c = list[i];
    const auto byte = static_cast<unsigned char>(c);
    if (IsCp932LeadByte(byte) && i + 1 < n) {
      // A two-byte character: its trail byte may look like '\\' or '"' but is text.
      current += c;
      current += list[++i];
      pending = true;
    } else if (c == '\\') {
      if (i + 1 < n) current += list[++i];
      pending = true;
    } else if (c == '"') {
      quoted = !quoted;
      pending = true;
    } else if (c == separator && !quoted) {
      items.push_back(std::move(current));
      current.clear();
      pending = false;
    } else {
      current += c;
      pending = true;
    }
  }
  if (pending) items.push_back(std::move(current));
  return items;
}

std::vector<std::string> SplitFields(std::string_view line, char separator) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t at = line.find(separator, start);
    if (at == std::string_view::npos) {
      fields.emplace_back(line.substr(start));
      return fields;
    }
    fields.emplace_back(line.substr(start, at - start));
    start = at + 1;
  }
}

}  // namespace kanro::text
