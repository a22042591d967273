#pragma once
// HTML character references ("&amp;", "&#39;", "&#x27;") in page text.
#include <cstddef>
#include <string_view>

namespace kanro::text {

// The reference that starts at text[0] == '&': stores its character and
// returns its length, or returns 0 when it is not one we know. Numeric
// references that name no character (0, surrogates, beyond U+10FFFF) give
// U+FFFD.
size_t DecodeCharacterReference(std::u32string_view text, char32_t* out);

}  // namespace kanro::text
