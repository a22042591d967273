#pragma once
// How often a piece of text occurs in a document (overlapping occurrences
// count), for tests that check generated files.
#include <cstddef>
#include <string>

namespace kanro::test {

inline size_t Count(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++count;
  return count;
}

}  // namespace kanro::test
