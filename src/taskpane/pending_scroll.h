#pragma once
// The scroll a result click asks for: the keyword of the clicked group waits
// for the keyword hits of the page that click opened, and the view scrolls to
// the first hit whose text is the keyword itself. Hits of any other page end
// the wait without a scroll, so a stale keyword never moves a later page.
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace kanro::taskpane {

class PendingScroll {
 public:
  // A result was clicked and page is loading. An empty page (the day could
  // not be shown) leaves nothing pending.
  void Set(const std::string& keyword, const std::filesystem::path& page);
  void Drop();
  bool IsPending() const { return !m_strPendingKeyword.empty(); }
  const std::string& Keyword() const { return m_strPendingKeyword; }

  // The hits (cell number -> matched text, CP932) of page arrived: the hit to
  // scroll to, if any. Nothing stays pending afterwards.
  std::optional<int> Take(const std::map<int, std::string>& hits, const std::filesystem::path& page);

 private:
  std::string m_strPendingKeyword;
  std::filesystem::path m_page;
};

// True when both paths name the same file (also when spelt differently).
bool SamePage(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace kanro::taskpane
