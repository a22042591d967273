#include "taskpane/keyword_search.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>

#include "listing/listing_types.h"
#include "sites/location.h"
#include "text/codepage.h"
#include "text/regex.h"
#include "text/text_file.h"

namespace kanro::taskpane {

namespace {

using text::WRegex;

// A keyword compiled once for the whole search.
struct CompiledKeyword {
  WRegex regex;
  // Whether a match can depend on the text around it (anchors, word
  // boundaries, lookaround): such keywords are tried line by line only.
  bool lineByLine = false;
};


// The value of a decimal number at the start of the text, as atoi reads it:
// leading blanks, an optional sign, then as many digits as there are.
int64_t LeadingNumber(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int64_t value = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && value < 100000000000LL; ++i)
    value = value * 10 + (s[i] - '0');
  return negative ? -value : value;
}

bool EndsWithHtm(std::string_view name) {
  if (name.size() < 4) return false;
  std::string ext(name.substr(name.size() - 4));
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext == ".htm";
}

// A data page that passed the name checks.
struct PageToSearch {
  std::filesystem::path path;
  ResultKey key = 0;
  std::string itemText;  // CP932
};

// Applies the name rules to one file name of the data folder; nothing when the
// page is not to be searched. Names look like "2011030908GooTv.htm".
std::optional<PageToSearch> CheckPageName(const std::string& name, const std::vector<std::string>& entries,
                                          int today, const std::vector<std::string>& typeNames) {
  if (name.size() < 15 || !EndsWithHtm(name)) return std::nullopt;
  const int64_t date = LeadingNumber(std::string_view(name).substr(0, 8));
  if (date < today) return std::nullopt;
  const std::string base = name.substr(0, name.size() - 4);
  const std::string entry = base.substr(8);
  const auto found = std::find(entries.begin(), entries.end(), entry);
  if (found == entries.end()) return std::nullopt;
  const size_t index = static_cast<size_t>(found - entries.begin());
  if (index >= kMaxResultEntries) return std::nullopt;
  const int type = listing::FindListingType(base.substr(10));
  if (type < 0) return std::nullopt;

  sites::CLocation location;
  location.SetPrefecture(static_cast<int>(LeadingNumber(std::string_view(base).substr(8, 2))));
  PageToSearch page;
  page.key = date * 100 + static_cast<ResultKey>(index);
  page.itemText = base.substr(4, 2) + "/" + base.substr(6, 2) + " " + location.m_strName +
                  text::Utf8ToCp932("【") + typeNames[static_cast<size_t>(type)] + text::Utf8ToCp932("】");
  return page;
}

// Decodes a page into one wide buffer: its lines, as reading the file as text
// gives them (line ends CR LF or LF removed), joined by "\n". False when the
// file has no line at all. The bytes are reused as scratch space.
bool DecodePage(std::string& bytes, std::u32string& wide) {
  if (bytes.empty()) return false;
  // Drop the CR of every CR LF, moving whole lines; then the line end (LF, or
  // a lone CR) of the last line.
  char* const data = bytes.data();
  const size_t size = bytes.size();
  size_t in = 0;
  size_t out = 0;
  while (in < size) {
    const void* found = std::memchr(data + in, '\n', size - in);
    size_t lineEnd = found ? static_cast<size_t>(static_cast<const char*>(found) - data) : size;
    size_t length = lineEnd - in;
    if (found && length > 0 && data[lineEnd - 1] == '\r') --length;
    if (out != in) std::memmove(data + out, data + in, length);
    out += length;
    if (!found) break;
    data[out++] = '\n';
    in = lineEnd + 1;
  }
  bytes.resize(out);
  if (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();

  // A line end is never part of a CP932 character (no trail byte is below
  // 0x40), so decoding the page at once gives the lines decoded one by one.
  wide = text::Cp932ToWide(bytes);
  return true;
}

// Whether a keyword matched a page, or ran out of its time first.
enum class PageOutcome { NoMatch, Match, OverBudget };

PageOutcome AnyLineMatches(const WRegex& regex, std::u32string_view page) {
  for (;;) {
    const size_t end = page.find(U'\n');
    if (regex.Search(page.substr(0, end))) return PageOutcome::Match;
    if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
    if (end == std::u32string_view::npos) return PageOutcome::NoMatch;
    page.remove_prefix(end + 1);
  }
}

// True when a line of the page matches the keyword, exactly as trying each
// line on its own would say. Keywords that do not depend on their
// surroundings are searched over the whole page; only where the leftmost
// match runs over a line end is its first line tried on its own.
// The caller sets the time budget (a regex deadline) for the page.
PageOutcome PageMatches(const CompiledKeyword& keyword, std::u32string_view page) {
  if (keyword.lineByLine) return AnyLineMatches(keyword.regex, page);
  WRegex::Match match;
  size_t from = 0;
  for (;;) {
    const uint64_t limitHits = text::RegexLimitHits();
    if (!keyword.regex.Search(page, &match, from)) {
      if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
      // A search abandoned at the match limit says nothing about single lines.
      if (text::RegexLimitHits() != limitHits) return AnyLineMatches(keyword.regex, page.substr(from));
      return PageOutcome::NoMatch;
    }
    const size_t begin = match.begin();
    size_t lineEnd = page.find(U'\n', begin);
    if (lineEnd == std::u32string_view::npos) lineEnd = page.size();
    if (match.end() <= lineEnd) return PageOutcome::Match;
    // No match starts before begin, so no earlier line matches; try this
    // line alone, then go on after it.
    const size_t lineStart = begin == 0 ? 0 : page.rfind(U'\n', begin - 1) + 1;
    if (keyword.regex.Search(page.substr(lineStart, lineEnd - lineStart))) return PageOutcome::Match;
    if (text::ScopedRegexDeadline::Passed()) return PageOutcome::OverBudget;
    if (lineEnd == page.size()) return PageOutcome::NoMatch;
    from = lineEnd + 1;
  }
}

// Reads a page line by line, trying each line against the keywords that have
// not matched the page yet, until every one has.
void NoteOverBudget(KeywordResults& result) {
  if (++result.pagesOverBudget >= kMaxPagesOverBudget) result.gaveUp = true;
}

bool StillSearched(const KeywordResults& result, ResultKey page) {
  return result.valid && !result.gaveUp && !result.results.count(page);
}

void SearchPageByLines(const PageToSearch& page, const std::vector<CompiledKeyword>& compiled,
                       std::vector<KeywordResults>& results) {
  using Clock = std::chrono::steady_clock;
  std::vector<size_t> pending;
  for (size_t k = 0; k < compiled.size(); ++k)
    if (StillSearched(results[k], page.key)) pending.push_back(k);
  if (pending.empty()) return;
  // Each keyword's time on this page, summed over the lines.
  std::vector<Clock::duration> spent(compiled.size(), Clock::duration::zero());
  text::ForEachLine(page.path, [&](std::string& line) {
    const std::u32string wide = text::Cp932ToWide(line);
    for (auto k = pending.begin(); k != pending.end();) {
      const Clock::time_point began = Clock::now();
      bool found = false;
      {
        const text::ScopedRegexDeadline deadline(kKeywordPageBudget - spent[*k]);
        found = compiled[*k].regex.Search(wide);
      }
      spent[*k] += Clock::now() - began;
      if (found) {
        results[*k].results.emplace(page.key, page.itemText);
        k = pending.erase(k);
      } else if (spent[*k] >= kKeywordPageBudget) {
        NoteOverBudget(results[*k]);
        k = pending.erase(k);
      } else {
        ++k;
      }
    }
    return !pending.empty();
  });
}

}  // namespace

bool DependsOnSurroundings(std::u32string_view p) {
  for (size_t i = 0; i < p.size(); ++i) {
    const char32_t c = p[i];
    if (c == U'\\') {
      if (i + 1 >= p.size()) return true;
      const char32_t next = p[++i];
      if (std::u32string_view(U"bBAZzGKQ").find(next) != std::u32string_view::npos) return true;
      continue;
    }
    if (c == U'[') {
      // A class: "[]" and "[^]" close at once; inside, "^" and "$" are plain.
      size_t j = i + 1;
      if (j < p.size() && p[j] == U'^') ++j;
      if (j < p.size() && p[j] == U']') {
        i = j;
        continue;
      }
      for (; j < p.size() && p[j] != U']'; ++j)
        if (p[j] == U'\\') ++j;
      i = j;
      continue;
    }
    if (c == U'^' || c == U'$') return true;
    if (c == U'(' && i + 1 < p.size()) {
      if (p[i + 1] == U'*') return true;
      if (p[i + 1] == U'?' && (i + 2 >= p.size() || p[i + 2] != U':')) return true;
    }
  }
  return false;
}

std::vector<KeywordResults> RunKeywordSearch(const KeywordSearchRequest& request) {
  std::vector<KeywordResults> results(request.keywords.size());
  std::vector<CompiledKeyword> compiled(request.keywords.size());
  bool anyValid = false;
  for (size_t k = 0; k < request.keywords.size(); ++k) {
    results[k].keyword = request.keywords[k];
    const std::u32string pattern = text::Cp932ToWide(request.keywords[k]);
    compiled[k].regex = WRegex(pattern);
    compiled[k].lineByLine = DependsOnSurroundings(pattern);
    results[k].valid = compiled[k].regex.valid();
    if (!results[k].valid) results[k].error = compiled[k].regex.error();
    anyValid = anyValid || results[k].valid;
  }
  if (!anyValid) return results;

  std::vector<std::string> typeNames;
  for (const auto& type : listing::kListingTypes) typeNames.push_back(text::Utf8ToCp932(type.name));

  // Names first, so pages are skipped before they are opened; sorted, so the
  // outcome never depends on the order the folder lists them in.
  std::vector<PageToSearch> pages;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(request.dataFolder, ec), end; !ec && it != end; it.increment(ec)) {
    if (it->is_directory(ec)) continue;
    auto page = CheckPageName(it->path().filename().string(), request.entries, request.today, typeNames);
    if (page) {
      page->path = it->path();
      pages.push_back(std::move(*page));
    }
  }
  std::sort(pages.begin(), pages.end(),
            [](const PageToSearch& a, const PageToSearch& b) { return a.path.filename() < b.path.filename(); });

  std::u32string wide;
  for (const PageToSearch& page : pages) {
    const uintmax_t size = std::filesystem::file_size(page.path, ec);
    if (!ec && size > request.wholePageLimit) {
      SearchPageByLines(page, compiled, results);
      continue;
    }
    std::optional<std::string> bytes = text::ReadFileBytes(page.path);
    if (!bytes || !DecodePage(*bytes, wide)) continue;
    for (size_t k = 0; k < compiled.size(); ++k) {
      if (!StillSearched(results[k], page.key)) continue;
      PageOutcome outcome = PageOutcome::NoMatch;
      {
        const text::ScopedRegexDeadline deadline(kKeywordPageBudget);
        outcome = PageMatches(compiled[k], wide);
      }
      if (outcome == PageOutcome::Match) results[k].results.emplace(page.key, page.itemText);
      if (outcome == PageOutcome::OverBudget) NoteOverBudget(results[k]);
    }
  }
  return results;
}

}  // namespace kanro::taskpane
