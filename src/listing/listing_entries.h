#pragma once
// The listing entries ("08GooTv": two-digit prefecture number and type key)
// the user chose, in the order the listing selector shows them.
#include <string>
#include <vector>

namespace kanro::listing {

// The items of a programme list whose type key is a known listing type, in
// list order; unknown and empty items are left out, so positions in the
// result match the selector's items.
std::vector<std::string> ListingEntries(const std::string& programmes);

// The same for the stored programme list ("Download"/"Programs"; an empty
// list means "08GooTv,").
std::vector<std::string> ListingEntriesFromSettings();

}  // namespace kanro::listing
