#include "view/page_script_file.h"

namespace kanro::view {

std::map<std::string, std::string, std::less<>> ParsePageScripts(std::string_view source) {
  std::map<std::string, std::string, std::less<>> snippets;
  std::string* body = nullptr;
  while (!source.empty()) {
    const size_t end = source.find('\n');
    std::string_view line = source.substr(0, end);
    source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    if (line.substr(0, 5) == "//== ") {
      std::string_view name = line.substr(5);
      while (!name.empty() && (name.back() == ' ' || name.back() == '\r')) name.remove_suffix(1);
      body = &snippets[std::string(name)];
    } else if (body) {
      body->append(line);
      body->push_back('\n');
    }
  }
  return snippets;
}

}  // namespace kanro::view
