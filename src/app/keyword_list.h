#pragma once
// The user's keywords: regular expressions kept one per line in Keyword.txt
// (CP932). Every line is a keyword, an empty one included; no comments, no
// escapes.
#include <string>
#include <vector>

namespace kanro::app {

// Empties the list, then appends every line of Keyword.txt in order. A missing
// or unreadable file leaves the list empty (or with the lines read so far).
void LoadKeywords(std::vector<std::string>& keywords);

// Writes every keyword followed by CR LF. The new file replaces the old one
// only when it was written whole; false (old file untouched) otherwise.
bool SaveKeywords(const std::vector<std::string>& keywords);

}  // namespace kanro::app
