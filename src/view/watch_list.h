#pragma once
// The per-day watch lists: "Watch"/YYYYMMDD holds the day's watch keys, each
// followed by a comma, in the order they were set. A key is the programme
// number of the watch link (four or more digits) followed by the listing
// entry of the page ("012308GooTv"). Plain logic over the settings store;
// the view, the command-line tool and the exports share it.
#include <QUrl>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kanro::view {

// The programme number of a watch link, or "" when the address is not a
// usable watch link. A watch link is "prp://watch?" + query (WebEngine hands
// it over as "prp://watch/?..."); the query's "ID" parameter counts only when
// another parameter follows it, and must be four or more decimal digits.
std::string WatchLinkId(const QUrl& url);
// The same for the address as written in a page ("prp://watch?ID=...").
std::string WatchLinkId(std::string_view url);

struct WatchKey {
  std::string number;  // the leading digits
  std::string entry;   // the rest ("08GooTv")
};
// Splits a stored key into the programme number and the entry. The entry
// opens with its two-digit prefecture number, so the number is the leading
// run of digits less its last two ("012308GooTv" gives 0123 and 08GooTv);
// nothing when that leaves fewer than four digits or no type key follows.
std::optional<WatchKey> SplitWatchKey(std::string_view key);

// The date (eight digits) and entry (two digits and a type key) of a data
// page from its path (".../Data/2011030908GooTv.htm"); false when the name is
// not one.
bool SplitDataPageName(const std::filesystem::path& page, std::string* date, std::string* entry);

// The stored list of a day ("Watch"/date), split with the list tokenizer.
std::vector<std::string> ReadWatchKeys(const std::string& date);

struct ToggledList {
  std::string list;      // the new stored value ("a,b," or "")
  bool watched = false;  // true: the key was added ("&WATCH=Y")
};
// Every copy of key leaves the list when it is there; otherwise it is
// appended. The other keys keep their order.
ToggledList ToggleWatchKey(const std::vector<std::string>& keys, const std::string& key);

// The programme numbers marked on one entry's page of a day, from its keys.
std::set<std::string> MarkedNumbers(const std::vector<std::string>& keys, const std::string& entry);

// True when markup holds "ID=" + number, not followed by another digit and
// not at its very start.
bool MarkupHasWatchId(std::u32string_view markup, std::string_view number);
// Calls visit with the whole run of digits after every "ID=" of markup but
// one at its very start, in order, until visit returns false.
void ForEachWatchIdInMarkup(std::u32string_view markup, const std::function<bool(std::string_view)>& visit);

struct ToggleOutcome {
  bool recognised = false;  // false: not a usable watch link; the navigation goes on
  bool stored = false;      // the new list reached the settings store
  bool watched = false;     // the mark is now set
  std::string date;         // the page's listing date
  std::string entry;        // the page's listing entry
  // The watch notification for the hidden frame: service + "?" + the link's
  // query + "&WATCH=Y" or "&WATCH=N" + "&DATE=" + date. Empty when !stored.
  std::string notification;
};
// Toggles the mark of the programme a watch link names on the data page
// shown (its path decides date and entry) and writes the day's list, also
// when it becomes empty. A watch link on a page that is not a data page is
// recognised (the navigation stops) but stores and sends nothing.
ToggleOutcome ToggleWatch(const QUrl& link, const std::filesystem::path& documentPath, const std::string& serviceUrl);

// True for a date as the lists are keyed: eight decimal digits.
bool IsWatchListDate(std::string_view date);
// The same toggle for a date and a stored key, for the command line: the key
// is four or more digits followed by a listing entry of a known type. Not
// recognised when date or key is not one; no notification is built.
ToggleOutcome ToggleWatchOfDay(const std::string& date, const std::string& key);

}  // namespace kanro::view
