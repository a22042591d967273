#pragma once
// The listing entries ("08GooTv": two-digit prefecture number and type key)
// the user chose, in the order the listing selector shows them.
#include <string>
#include <string_view>
#include <vector>

namespace kanro::listing {

// The items of a programme list whose type key is a known listing type, in
// list order; unknown and empty items are left out, so positions in the
// result match the selector's items.
std::vector<std::string> ListingEntries(const std::string& programmes);

// The same for the stored programme list ("Download"/"Programs"; an empty
// list means "08GooTv,").
std::vector<std::string> ListingEntriesFromSettings();

// The names an entry is shown by (UTF-8): its prefecture ("東京都"; the
// fallback prefecture for a number outside 01-47) and its listing type
// ("地上波"). Empty for text that is no entry of a known type.
struct EntryNames {
  std::string prefecture;
  std::string type;
};
EntryNames NamesOfEntry(std::string_view entry);
// "東京都[地上波]" (UTF-8), as the listing selector and the settings list show
// an entry; the text itself when it is no entry.
std::string EntryLabel(std::string_view entry);

}  // namespace kanro::listing
