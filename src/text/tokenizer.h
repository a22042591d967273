#pragma once
// The one list tokenizer: comma-separated items; a double quote starts or ends a
// quoted run (commas inside do not split) and is dropped; a backslash takes the
// next character literally. Works on CP932 bytes: a trail byte is never taken
// for a quote, comma or backslash.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::text {

// Splits the list into items. An empty list gives no items; a trailing comma
// does not add an empty last item ("a,b," gives a and b), but an empty item
// between two commas is kept ("a,,b" gives a, "", b).
std::vector<std::string> TokenizeList(std::string_view list, char separator = ',');

// Splits at every occurrence of the separator, with no quoting at all
// ("a\t\tb" gives a, "", b). Used for the tab-separated fields of a rule line.
std::vector<std::string> SplitFields(std::string_view line, char separator);

}  // namespace kanro::text
