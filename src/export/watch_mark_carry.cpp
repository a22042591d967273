#include "export/watch_mark_carry.h"

#include <algorithm>
#include <set>

#include "app/settings_store.h"
#include "export/channel_ids.h"
#include "export/listing_page_reader.h"
#include "text/codepage.h"
#include "text/tokenizer.h"
#include "view/watch_list.h"

namespace kanro::exports {
namespace {

// The watch rules' record of the keys they marked, in the watch lists' format.
constexpr const char* kRuleMarks = "AutoWatch";

// A programme as a mark means it: its station, its start and its title.
struct Identity {
  std::string station;
  int start = 0;
  std::string title;
};

struct IndexedDay {
  std::vector<std::string> stations;  // per column
  const ListingDay* day = nullptr;
};

IndexedDay Index(const ListingDay& day) { return IndexedDay{StationTokens(day.channels), &day}; }

std::string StationOf(const IndexedDay& day, const ListingProgramme& programme) {
  return programme.channel < day.stations.size() ? day.stations[programme.channel] : std::string();
}

const ListingProgramme* FindById(const ListingDay& day, const std::string& watchId) {
  for (const ListingProgramme& programme : day.programmes)
    if (programme.watchId == watchId) return &programme;
  return nullptr;
}

// The programme of the new page a mark means, or nothing when it is gone.
const ListingProgramme* FindSame(const IndexedDay& after, const Identity& wanted) {
  const ListingProgramme* sameStart = nullptr;
  int sameStartCount = 0;
  for (const ListingProgramme& programme : after.day->programmes) {
    if (programme.watchId.empty() || programme.startMinute != wanted.start || StationOf(after, programme) != wanted.station)
      continue;
    if (programme.title == wanted.title) return &programme;
    sameStart = &programme;
    ++sameStartCount;
  }
  if (sameStartCount == 1 && SimilarTitle(wanted.title, sameStart->title)) return sameStart;
  return nullptr;
}

bool IsOpeningBracket(char32_t c) { return c == U'[' || c == U'［' || c == U'【' || c == U'(' || c == U'（'; }
char32_t ClosingOf(char32_t c) {
  switch (c) {
    case U'[': return U']';
    case U'［': return U'］';
    case U'【': return U'】';
    case U'(': return U')';
    default: return U'）';
  }
}
bool IsBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000' || c == U'\u00a0'; }

// The title without blanks and without short bracketed markers.
std::u32string Core(const std::string& title) {
  const std::u32string wide = text::Utf8ToWide(title);
  std::u32string core;
  for (size_t i = 0; i < wide.size(); ++i) {
    if (IsOpeningBracket(wide[i])) {
      const size_t close = wide.find(ClosingOf(wide[i]), i + 1);
      if (close != std::u32string::npos && close - i <= 8) {
        i = close;
        continue;
      }
    }
    if (!IsBlank(wide[i])) core += wide[i];
  }
  return core;
}

}  // namespace

bool SimilarTitle(const std::string& before, const std::string& after) {
  const std::u32string a = Core(before);
  const std::u32string b = Core(after);
  if (a.empty() || b.empty()) return a == b;
  if (a.find(b) != std::u32string::npos || b.find(a) != std::u32string::npos) return true;
  size_t common = 0;
  while (common < a.size() && common < b.size() && a[common] == b[common]) ++common;
  return common * 2 >= std::min(a.size(), b.size());
}

CarriedMarks CarryWatchKeys(const std::vector<std::string>& keys, const std::string& entry, const ListingDay& before,
                            const ListingDay& after) {
  CarriedMarks result;
  const IndexedDay oldDay = Index(before);
  const IndexedDay newDay = Index(after);
  std::set<std::string> written;
  for (const std::string& key : keys) {
    const std::optional<view::WatchKey> split = view::SplitWatchKey(key);
    std::string carried = key;
    if (split && split->entry == entry) {
      if (const ListingProgramme* old = FindById(before, split->number)) {
        const Identity wanted{StationOf(oldDay, *old), old->startMinute, old->title};
        const ListingProgramme* now = FindSame(newDay, wanted);
        if (!now) {
          result.dropped.push_back(old->title);
          result.changed = true;
          continue;
        }
        carried = now->watchId + entry;
        if (carried != key) {
          ++result.moved;
          result.changed = true;
        }
      }
    }
    // Two marks that now name one programme are one mark.
    if (!written.insert(carried).second) {
      result.changed = true;
      continue;
    }
    result.keys.push_back(std::move(carried));
  }
  return result;
}

WatchMarkCarry::WatchMarkCarry(const std::filesystem::path& headPage, const std::filesystem::path& dataPage, int date,
                               std::string entry)
    : m_headPage(headPage), m_dataPage(dataPage), m_date(date), m_entry(std::move(entry)) {
  const auto marksEntry = [&](const std::vector<std::string>& keys) {
    return std::any_of(keys.begin(), keys.end(), [&](const std::string& key) {
      const std::optional<view::WatchKey> split = view::SplitWatchKey(key);
      return split && split->entry == m_entry;
    });
  };
  const std::string day = std::to_string(date);
  if (!marksEntry(view::ReadWatchKeys(day)) && !marksEntry(text::TokenizeList(GetProfileString(kRuleMarks, day.c_str()))))
    return;
  PageReadResult read = ReadListingPages(headPage, dataPage, date);
  if (read.ok) m_before = std::move(read.day);
}

std::string WatchMarkCarry::Finish() {
  if (!m_before) return {};
  const PageReadResult now = ReadListingPages(m_headPage, m_dataPage, m_date);
  // A new page we cannot read tells nothing about where the programmes went.
  if (!now.ok) return {};
  const std::string date = std::to_string(m_date);
  // Read again: the list may have changed while the page was fetched.
  const std::vector<std::string> keys = view::ReadWatchKeys(date);
  m_result = CarryWatchKeys(keys, m_entry, *m_before, now.day);
  if (m_result.changed) {
    std::string list;
    for (const std::string& key : m_result.keys) list += key + ",";
    WriteProfileString("Watch", date.c_str(), list);
  }
  // What the watch rules marked, and the user unmarked, names the same
  // programmes by the same IDs: it moves with them (silently).
  const std::string recorded = GetProfileString(kRuleMarks, date.c_str());
  if (!recorded.empty()) {
    const CarriedMarks rules = CarryWatchKeys(text::TokenizeList(recorded), m_entry, *m_before, now.day);
    if (rules.changed) {
      std::string list;
      for (const std::string& key : rules.keys) list += key + ",";
      WriteProfileString(kRuleMarks, date.c_str(), list);
    }
  }
  if (m_result.dropped.empty()) return {};
  std::string titles;
  for (const std::string& title : m_result.dropped) titles += (titles.empty() ? "「" : "、「") + title + "」";
  return text::Utf8ToCp932(titles + "は番組表からなくなったため、視聴予定の印を外しました");
}

}  // namespace kanro::exports
