#pragma once
// EUC-JP to CP932 (Shift-JIS) as a byte algorithm, for the goo listing pages.
#include <string>
#include <string_view>

namespace kanro::listing {

// Converts a line: 0x8E + half-width katakana becomes its full-width JIS X 0208
// character, a two-byte JIS X 0208 character (0xA1-0xFE lead) is mapped
// arithmetically, every other byte is copied (so a JIS X 0212 sequence keeps
// its 0x8F and has the next two bytes mapped as a pair). 0x8E with anything
// else is dropped with it; a lead byte at the end of the line is dropped.
std::string EucJpToCp932(std::string_view euc);

}  // namespace kanro::listing
