#include "view/watch_list.h"

#include <functional>

#include "app/settings_store.h"
#include "listing/listing_types.h"
#include "listing/url_encode.h"
#include "text/tokenizer.h"
#include "view/link_policy.h"

namespace kanro::view {
namespace {

constexpr const char* kWatchSection = "Watch";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) {
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

// The "ID" of a watch link's query: the first parameter named ID that has
// another parameter after it ("ID=0123&TIME=..."), when it is four or more
// decimal digits. Parameters are split at "&", names at the first "=".
std::string QueryWatchId(std::string_view query) {
  size_t start = 0;
  while (true) {
    const size_t amp = query.find('&', start);
    if (amp == std::string_view::npos) return {};  // the last parameter never counts
    const std::string_view item = query.substr(start, amp - start);
    const size_t equals = item.find('=');
    if (equals != std::string_view::npos && item.substr(0, equals) == "ID") {
      const std::string_view value = item.substr(equals + 1);
      if (value.size() >= 4 && AllDigits(value)) return std::string(value);
      return {};
    }
    start = amp + 1;
  }
}

// The query of a watch link as a page writes it ("prp://watch?...") or as
// WebEngine hands it over ("prp://watch/?..."); nothing for other addresses.
std::optional<std::string_view> WatchLinkQuery(std::string_view url) {
  for (std::string_view prefix : {std::string_view("prp://watch?"), std::string_view("prp://watch/?")}) {
    if (url.substr(0, prefix.size()) == prefix) {
      std::string_view query = url.substr(prefix.size());
      return query.substr(0, query.find('#'));
    }
  }
  return std::nullopt;
}

// The query of a watch link in the encoding the page writer used. QUrl
// decodes escapes of unreserved characters ("%83%6A" comes back as "%83j"),
// so each value is decoded and encoded again; a "+" stands for a blank,
// which the writer encodes that way, and a "+" of the text is "%2B".
std::string PageWrittenQuery(const QUrl& link) {
  const QList<QByteArray> items = link.query(QUrl::FullyEncoded).toLatin1().split('&');
  std::string out;
  for (qsizetype index = 0; index < items.size(); ++index) {
    const QByteArray& item = items[index];
    if (index > 0) out += '&';
    const qsizetype equals = item.indexOf('=');
    if (equals < 0) {
      out += item.toStdString();
      continue;
    }
    out += item.left(equals + 1).toStdString();
    bool firstPiece = true;
    for (const QByteArray& piece : item.mid(equals + 1).split('+')) {
      if (!firstPiece) out += '+';
      firstPiece = false;
      out += listing::UrlEncode(QByteArray::fromPercentEncoding(piece).toStdString());
    }
  }
  return out;
}

// Toggles key on the day's list and stores the list.
ToggleOutcome ToggleStoredKey(const std::string& date, const std::string& entry, const std::string& key) {
  ToggleOutcome outcome;
  outcome.recognised = true;
  outcome.date = date;
  outcome.entry = entry;
  const ToggledList toggled = ToggleWatchKey(ReadWatchKeys(date), key);
  outcome.watched = toggled.watched;
  // The std::string overload writes an empty list as an empty value.
  outcome.stored = WriteProfileString(kWatchSection, date.c_str(), toggled.list);
  return outcome;
}

}  // namespace

std::string WatchLinkId(const QUrl& url) {
  if (!IsWatchLinkAddress(url)) return {};
  return QueryWatchId(url.query(QUrl::FullyEncoded).toStdString());
}

std::string WatchLinkId(std::string_view url) {
  const std::optional<std::string_view> query = WatchLinkQuery(url);
  return query ? QueryWatchId(*query) : std::string();
}

std::optional<WatchKey> SplitWatchKey(std::string_view key) {
  // The entry opens with the two digits of its prefecture number, so the
  // programme number is the leading run of digits less its last two.
  size_t digits = 0;
  while (digits < key.size() && IsDigit(key[digits])) ++digits;
  if (digits < 4 + 2 || digits == key.size()) return std::nullopt;
  return WatchKey{std::string(key.substr(0, digits - 2)), std::string(key.substr(digits - 2))};
}

bool SplitDataPageName(const std::filesystem::path& page, std::string* date, std::string* entry) {
  if (page.extension() != ".htm") return false;
  const std::string stem = page.stem().string();
  // Eight digits of the date, then the entry: two digits of the prefecture
  // and the type key.
  if (stem.size() <= 10 || !AllDigits(std::string_view(stem).substr(0, 10)) || IsDigit(stem[10])) return false;
  if (date) *date = stem.substr(0, 8);
  if (entry) *entry = stem.substr(8);
  return true;
}

std::vector<std::string> ReadWatchKeys(const std::string& date) {
  return text::TokenizeList(GetProfileString(kWatchSection, date.c_str(), ""));
}

ToggledList ToggleWatchKey(const std::vector<std::string>& keys, const std::string& key) {
  ToggledList result;
  bool removed = false;
  for (const std::string& stored : keys) {
    if (stored == key) {
      removed = true;
      continue;
    }
    result.list += stored;
    result.list += ',';
  }
  if (!removed) {
    result.list += key;
    result.list += ',';
    result.watched = true;
  }
  return result;
}

std::set<std::string> MarkedNumbers(const std::vector<std::string>& keys, const std::string& entry) {
  std::set<std::string> numbers;
  for (const std::string& key : keys) {
    const std::optional<WatchKey> split = SplitWatchKey(key);
    if (split && split->entry == entry) numbers.insert(split->number);
  }
  return numbers;
}

void ForEachWatchIdInMarkup(std::u32string_view markup, const std::function<bool(std::string_view)>& visit) {
  constexpr std::u32string_view kIdPrefix = U"ID=";
  std::string number;
  // The first character never counts: a cell's markup opens with its own
  // tag or text, never with the watch link's query.
  for (size_t at = markup.find(kIdPrefix, 1); at != std::u32string_view::npos; at = markup.find(kIdPrefix, at + 1)) {
    number.clear();
    for (size_t digit = at + kIdPrefix.size(); digit < markup.size() && markup[digit] >= U'0' && markup[digit] <= U'9';
         ++digit)
      number += static_cast<char>(markup[digit]);
    if (!number.empty() && !visit(number)) return;
  }
}

bool MarkupHasWatchId(std::u32string_view markup, std::string_view number) {
  bool found = false;
  ForEachWatchIdInMarkup(markup, [&](std::string_view id) {
    found = id == number;
    return !found;
  });
  return found;
}

ToggleOutcome ToggleWatch(const QUrl& link, const std::filesystem::path& documentPath, const std::string& serviceUrl) {
  ToggleOutcome outcome;
  const std::string number = WatchLinkId(link);
  if (number.empty()) return outcome;
  std::string date, entry;
  if (!SplitDataPageName(documentPath, &date, &entry)) {
    // A watch link, but not on a data page: nothing to mark, nothing to send.
    outcome.recognised = true;
    return outcome;
  }
  outcome = ToggleStoredKey(date, entry, number + entry);
  if (!outcome.stored) return outcome;
  outcome.notification =
      serviceUrl + "?" + PageWrittenQuery(link) + (outcome.watched ? "&WATCH=Y" : "&WATCH=N") + "&DATE=" + date;
  return outcome;
}

bool IsWatchListDate(std::string_view date) { return date.size() == 8 && AllDigits(date); }

ToggleOutcome ToggleWatchOfDay(const std::string& date, const std::string& key) {
  const std::optional<WatchKey> split = SplitWatchKey(key);
  if (!IsWatchListDate(date) || !split || listing::FindListingType(split->entry.substr(2)) < 0) return {};
  return ToggleStoredKey(date, split->entry, key);
}

}  // namespace kanro::view
