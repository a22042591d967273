#include "taskpane/result_groups.h"

#include "text/codepage.h"

namespace kanro::taskpane {

std::vector<ResultGroup> BuildResultGroups(const std::vector<KeywordResults>& results) {
  std::vector<ResultGroup> groups;
  for (const KeywordResults& keyword : results) {
    const bool invalid = !keyword.valid;
    const bool incomplete = !invalid && (keyword.gaveUp || keyword.pagesOverBudget > 0);
    if (!invalid && !incomplete && keyword.results.empty()) continue;
    ResultGroup group;
    group.keyword = keyword.keyword;
    group.caption = keyword.keyword;
    if (invalid) {
      group.marked = true;
      group.caption += text::Utf8ToCp932(" [無効]");
      group.toolTip = text::Utf8ToCp932("正規表現として正しくありません: ") + keyword.error;
    } else if (incomplete) {
      group.marked = true;
      group.caption += text::Utf8ToCp932(" [一部未検索]");
      group.toolTip = text::Utf8ToCp932(keyword.gaveUp ? "時間がかかりすぎるため、残りのページは検索していません"
                                                       : "時間がかかりすぎるため、検索していないページがあります");
    }
    group.tasks.reserve(keyword.results.size());
    for (const auto& [key, text] : keyword.results) group.tasks.push_back({text, key});
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace kanro::taskpane
