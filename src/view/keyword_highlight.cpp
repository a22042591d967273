#include "view/keyword_highlight.h"

#include <set>

#include "text/codepage.h"
#include "text/regex.h"

namespace kanro::view {

KeywordHighlight HighlightCells(const std::vector<std::u32string>& cellTexts,
                                const std::vector<std::string>& keywords) {
  KeywordHighlight result;
  if (keywords.empty()) return result;
  result.applied = true;

  // The set orders the keywords by code units and collapses duplicates;
  // each is compiled once for the whole page.
  std::set<std::u32string> keywordSet;
  for (const std::string& keyword : keywords) keywordSet.insert(text::Cp932ToWide(keyword));
  std::vector<text::WRegex> regexes;
  for (const std::u32string& keyword : keywordSet) {
    text::WRegex regex(keyword);
    if (regex.valid()) regexes.push_back(std::move(regex));
  }

  int counter = 0;
  text::WRegex::Match match;
  for (size_t cell = 0; cell < cellTexts.size(); ++cell) {
    const std::u32string& cellText = cellTexts[cell];
    for (const text::WRegex& regex : regexes) {
      if (!regex.Search(cellText, &match)) continue;
      std::string hit = text::WideToCp932(std::u32string_view(cellText).substr(match.begin(), match.end() - match.begin()));
      result.hits.emplace(counter, hit);
      result.marks.push_back(CellMark{cell, counter, std::move(hit)});
      ++counter;
      break;
    }
  }
  return result;
}

}  // namespace kanro::view
