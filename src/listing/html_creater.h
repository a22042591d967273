#pragma once
// The page composer: reads a downloaded listing page line by line, keeps the
// lines of the listing table, rewrites them, and writes the program's header
// page (channel names) and data page (one day's programmes) in CP932 with
// CR LF line ends. Subclasses supply the site specifics.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "listing/active_content.h"
#include "listing/literal_prefix.h"
#include "listing/replace_rule.h"
#include "listing/watch_links.h"

namespace kanro::listing {

class CHtmlCreater {
 public:
  // Reads "Download"/"RemoveAnchor" and loads the rewrite rules.
  CHtmlCreater();
  virtual ~CHtmlCreater();
  CHtmlCreater(const CHtmlCreater&) = delete;
  CHtmlCreater& operator=(const CHtmlCreater&) = delete;

  // Writes the header page from the downloaded page. The old page is replaced
  // only when the new one was written completely.
  bool CreateHead(const std::filesystem::path& downloaded, const std::filesystem::path& headPage);
  // Writes the data page; title is CP932. False (old page kept) when the
  // downloaded page held no listing line or a file could not be written.
  bool CreateData(const std::filesystem::path& downloaded, const std::filesystem::path& dataPage,
                  const std::string& title);
  // Writes the frameset page index.htm.
  static bool CreateIndex(const std::filesystem::path& path);

  // Patterns (CP932) of Replace.txt that did not compile and were skipped.
  const std::vector<std::string>& InvalidRulePatterns() const { return m_invalidRulePatterns; }

  // What the last page read showed of its listing, judged on its lines as
  // downloaded.
  struct ListingCheck {
    bool anyListingLine = false;
    bool listingEnded = false;   // the line that closes the listing came
    bool programmeSeen = false;  // a programme cell with its start time
    bool Complete() const { return listingEnded && programmeSeen; }
  };
  const ListingCheck& LastListingCheck() const { return m_check; }
  // When set, CreateHead and CreateData write nothing for a page whose
  // listing was cut off or held no programme: the old page stays. Downloads
  // set it; a cut transfer looks like a good page up to where it stops.
  void RequireCompleteListing(bool require) { m_bRequireComplete = require; }
  // Why the last CreateHead or CreateData failed (CP932); empty after success.
  const std::string& FailureReason() const { return m_failure; }

 protected:
  // Collapses white space and applies the user's rules to m_line. Subclasses
  // convert the encoding and apply the site rewrites first, then call this.
  // Active content is removed later, from the line as it is written.
  virtual void ConvertLine();
  // True when m_line belongs to the listing table (called once per non-empty
  // line, in file order).
  virtual bool IsTarget() = 0;
  // True when m_line is the first line of the table body.
  virtual bool IsHeadEnd() = 0;
  // Called at the start of every page: every page starts outside the table.
  virtual void BeginPage() {}
  // True when m_line, as downloaded, holds a programme cell with its start
  // time. Asked of listing lines until one says yes.
  virtual bool HoldsProgramme() { return false; }
  // Subclasses call this from IsTarget when the line closing the listing
  // comes after the listing began.
  void NoteListingEnd() { m_check.listingEnded = true; }
  // True when m_line has opening, a start time ("5:00", "23:30") and closing
  // right after one another.
  bool HasStartTime(std::string_view opening, std::string_view closing) const;

  // Turns the watch placeholders of m_line into watch links, numbered per page.
  void ReplaceWatch();
  // Placeholders that carry their own watch ID keep it (listings that know
  // what identifies a programme).
  void KeepGivenWatchIds() { m_watchLinks.KeepGivenIds(true); }
  // m_line from EUC-JP to CP932.
  void EucToSjis();
  // m_line from UTF-8 to CP932.
  void Utf8ToAnsi();
  // Applies one site rewrite to m_line (see ReplaceAllUnlessLimited); the
  // regex runs only when the line contains the pattern's required literal.
  void Rewrite(const text::Regex& pattern, const LiteralFinder& requiredLiteral, std::string_view format);
  // Ends m_line at its first zero byte, as a C string would.
  void CutAtZeroByte();

  std::string m_line;
  bool m_bRemoveAnchor = false;
  std::vector<CReplaceRule> m_rules;

 private:
  void StartPage();
  // Reads the downloaded page: every non-empty line goes to IsTarget, and
  // listing lines to onListingLine. Also fills m_check.
  bool ReadListing(const std::filesystem::path& downloaded, const std::function<void()>& onListingLine);
  // False (with m_failure set) when the page must not be written.
  bool AcceptListing();
  void Fail(std::string reason) { m_failure = std::move(reason); }
  void FailOnFile(const std::filesystem::path& path, const char* whatFailedUtf8);

  std::vector<std::string> m_invalidRulePatterns;
  ListingCheck m_check;
  std::vector<unsigned char> m_ruleTimeouts;  // per rule, in this page
  bool m_bRequireComplete = false;
  std::string m_failure;
  WatchLinkWriter m_watchLinks;
  ActiveContentFilter m_activeContent;
  std::string m_scratch;
  std::u32string m_wide;
  std::u32string m_wideScratch;
};

}  // namespace kanro::listing
