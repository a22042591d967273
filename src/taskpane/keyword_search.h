#pragma once
// The keyword search over the downloaded data pages: for every keyword of the
// keyword list, the listing days from today on whose data page has a line
// matching it. Plain logic; the task pane shows what this returns.
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::taskpane {

// Result key: the page's listing date (YYYYMMDD as a number) x 100 + the
// position of the page's listing entry in the listing entries. The task pane
// reads the entry back as key % 100 and the date as key / 100.
using ResultKey = int64_t;

// The largest number of listing entries a result key can tell apart. Pages of
// entries at position 100 or later are not searched: their key would read as
// another day's entry.
inline constexpr size_t kMaxResultEntries = 100;

// One keyword's results, in the keyword list's order.
struct KeywordResults {
  std::string keyword;  // CP932, as in the keyword list
  bool valid = true;    // false: the keyword did not compile and matched nothing
  std::string error;    // why it did not compile (English), empty when valid
  // Pages on which the keyword used up its time budget before it was
  // decided; they are not among the results. After a few such pages the
  // keyword is not tried on the remaining pages either (gaveUp).
  size_t pagesOverBudget = 0;
  bool gaveUp = false;
  // Result key -> item text (CP932), e.g. "03/09 東京都【地上波】"; ordered by
  // date, then by position in the listing entries.
  std::map<ResultKey, std::string> results;
};

struct KeywordSearchRequest {
  // Listing entries ("08GooTv") in the listing selector's order.
  std::vector<std::string> entries;
  // The keyword list (CP932 regular expressions), in list order.
  std::vector<std::string> keywords;
  // The current listing date as YYYYMMDD (app::DateNumber of the listing
  // time); earlier pages are not searched.
  int today = 0;
  // The folder holding the data pages ("Data/").
  std::filesystem::path dataFolder;
  // Pages larger than this many bytes are read line by line instead of whole,
  // so memory stays small whatever lies in the data folder.
  uintmax_t wholePageLimit = uintmax_t{8} << 20;
};

// Time one keyword may take on one page.
inline constexpr auto kKeywordPageBudget = std::chrono::milliseconds(250);
// Pages over budget after which a keyword is not tried any more.
inline constexpr size_t kMaxPagesOverBudget = 3;

// True when whether the pattern matches at a place can depend on text outside
// the match: anchors, word boundaries, lookaround and the engine's own
// constructs. Patterns without these match the same inside a line whether the
// line stands alone or inside a longer text of lines, which is what makes
// searching a whole page at once exact. When in doubt this says true.
bool DependsOnSurroundings(std::u32string_view pattern);

// Searches every data page of the data folder that belongs to a listed entry
// and is dated today or later. Each page is read once; a page that cannot be
// read is skipped without a message. Returns one element per keyword, in list
// order (an empty list gives an empty result).
std::vector<KeywordResults> RunKeywordSearch(const KeywordSearchRequest& request);

}  // namespace kanro::taskpane
