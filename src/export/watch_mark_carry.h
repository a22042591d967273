#pragma once
// Watch marks that follow their programme when a data page is rewritten.
// A stored watch key names a programme by its watch ID, which is its place on
// the page; a schedule change moves every later programme to another ID. So
// before a data page is rewritten its marked programmes are read (channel,
// start, title), and after it each mark is given the ID of the same programme
// on the new page: same channel, start and title, or same channel and start
// with a title that changed only slightly. A mark whose programme is gone is
// dropped and reported. The stored format stays as it is.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "export/listing_day.h"

namespace kanro::exports {

struct CarriedMarks {
  std::vector<std::string> keys;    // the day's list, remapped, in its order
  int moved = 0;                    // marks that now carry another ID
  std::vector<std::string> dropped; // UTF-8 titles of marked programmes that are gone
  bool changed = false;             // keys differ from the list given
};

// Remaps the keys of one listing entry from the page as it was to the page as
// it is; keys of other entries, and keys whose programme the old page does
// not show in a certain place, stay as they were.
CarriedMarks CarryWatchKeys(const std::vector<std::string>& keys, const std::string& entry, const ListingDay& before,
                            const ListingDay& after);

// True when the new title is the old one changed only slightly: equal once
// blanks and bracketed markers ("[字]", "【再】") are left out, or one holds the
// other, or they share at least half of the shorter one's opening.
bool SimilarTitle(const std::string& before, const std::string& after);

// Carries the marks of one data page across its rewrite, through the stored
// "Watch"/date list. Make it before the page is written, call Finish after.
class WatchMarkCarry {
 public:
  // Reads the day's marks of the entry and, when there are any, the page as
  // it is now. date is YYYYMMDD.
  WatchMarkCarry(const std::filesystem::path& headPage, const std::filesystem::path& dataPage, int date,
                 std::string entry);
  // After the page was rewritten: remaps and stores the day's list when it
  // changed. Returns the status text for the marks that were dropped (CP932,
  // empty when none was), naming their titles.
  std::string Finish();
  // What Finish did (empty before).
  const CarriedMarks& result() const { return m_result; }

 private:
  std::filesystem::path m_headPage;
  std::filesystem::path m_dataPage;
  int m_date = 0;
  std::string m_entry;
  std::optional<ListingDay> m_before;  // only when the entry has marks that day
  CarriedMarks m_result;
};

}  // namespace kanro::exports
