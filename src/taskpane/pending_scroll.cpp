#include "taskpane/pending_scroll.h"

#include <system_error>

namespace kanro::taskpane {

bool SamePage(const std::filesystem::path& a, const std::filesystem::path& b) {
  if (a.empty() || b.empty()) return false;
  if (a.lexically_normal() == b.lexically_normal()) return true;
  std::error_code error;
  const bool same = std::filesystem::equivalent(a, b, error);
  return !error && same;
}

void PendingScroll::Set(const std::string& keyword, const std::filesystem::path& page) {
  if (keyword.empty() || page.empty()) {
    Drop();
    return;
  }
  m_strPendingKeyword = keyword;
  m_page = page;
}

void PendingScroll::Drop() {
  m_strPendingKeyword.clear();
  m_page.clear();
}

std::optional<int> PendingScroll::Take(const std::map<int, std::string>& hits, const std::filesystem::path& page) {
  std::optional<int> target;
  if (IsPending() && SamePage(m_page, page)) {
    for (const auto& [number, text] : hits) {
      if (text == m_strPendingKeyword) {
        target = number;
        break;
      }
    }
  }
  Drop();
  return target;
}

}  // namespace kanro::taskpane
