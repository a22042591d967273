#pragma once
// One listing type's producer: decides whether a day's page is needed, waits
// politely, fetches it into a temporary file and has its page converter write
// the header page (once) and the data page, reporting progress to the window.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/messages.h"
#include "listing/html_creater.h"
#include "net/http_request.h"
#include "sites/location.h"

namespace kanro::listing {

// The weekday suffix of a status text or title, "（水）" (CP932); 0 = Sunday.
const std::string& WeekdayName(int weekday);

class CHtmlProducer {
 public:
  // Reads "Download"/"KeepFresh" (default 1).
  CHtmlProducer();
  virtual ~CHtmlProducer();
  CHtmlProducer(const CHtmlProducer&) = delete;
  CHtmlProducer& operator=(const CHtmlProducer&) = delete;

  // The listing type key, e.g. "GooTv".
  virtual const std::string& GetKey() const = 0;
  // The display name, e.g. "地上波" (CP932).
  virtual const std::string& GetName() const = 0;
  // The address template, "URL"/key with the type's default; it holds the
  // placeholders "%GooLocation", "%YahooLocation" and "%D".
  virtual std::string GetUrl() const = 0;

  // Handles the page of m_time for m_location: true when it was produced or
  // could be skipped, false when it failed (nothing escapes as an exception).
  // Sources that are not listing pages override it.
  virtual bool Produce();
  // True when the watch IDs of this listing's pages name their programme
  // whatever else the page holds (listings that identify programmes): its
  // marks need no carrying when a page is rewritten.
  virtual bool WatchIdsFollowProgrammes() const { return false; }
  // Converts a downloaded page as Produce does: the header page when it is
  // missing (or m_bRenewHead is set), then the data page, with the progress
  // and status messages. A page whose listing was cut off or held no
  // programme is refused and no page is touched.
  bool ConvertPage(const std::filesystem::path& downloaded);
  // Why the last Produce or ConvertPage failed (CP932), e.g.
  // "番組表が途中で切れています"; empty after success.
  const std::string& FailureReason() const { return m_strFailure; }
  // The status text the last Produce or ConvertPage showed for watch marks
  // it had to drop because their programme left the page (CP932,
  // "3/9（水）東京都【地上波】：「…」は…"); empty when none was dropped.
  const std::string& MarksDroppedText() const { return m_strMarksDropped; }
  // True when the last Produce or ConvertPage wrote the header page.
  bool WroteHeadPage() const { return m_bWroteHead; }
  // The status text shown for that failure: StatusText, then the reason.
  std::string FailureText() const;
  // "FileSize"/key (default 200000): the learned size of a page in bytes.
  int GetExpectedSize() const;

  // File names of the page of m_time and m_location.
  std::filesystem::path DataPagePath() const;
  std::filesystem::path HeadPagePath() const;
  // "YYYYMMDDnnKey", the name reported to the window for a written page.
  std::string PageName() const;
  // The status text "3/9（水）北海道【地上波】" (CP932).
  std::string StatusText() const;
  // The address of the page: GetUrl with its placeholders filled in.
  std::string PageUrl() const;

  app::MessageTarget* m_hWnd = nullptr;
  int64_t m_time = 0;
  sites::CLocation m_location;
  bool m_bForce = false;
  bool m_bOnceADay = false;
  bool m_bKeepFresh = true;
  // Write the header page anew even when it exists; the old one is replaced
  // only once the new one has been written completely.
  bool m_bRenewHead = false;

 protected:
  // Keeps the reason (CP932), shows it in the status text, returns false.
  bool Fail(std::string reason);
  bool ShouldSkip(const std::filesystem::path& dataPage) const;
  intptr_t SendText(unsigned message, uintptr_t wParam, const std::string& text);
  void Send(unsigned message, uintptr_t wParam, intptr_t lParam);
  // Requests url into file with HttpRequest: the number of bytes, or -1 after
  // Fail with the reason (the routine's message, an empty answer, a cancel,
  // an unusable address named after the setting URL/settingKey).
  int Fetch(const std::string& url, const std::string& settingKey, const std::filesystem::path& file,
            const HttpLimits& limits);
  void ClearFailure() { m_strFailure.clear(); m_bWroteHead = false; }

  // Set by each subclass constructor; the producer owns its converter.
  std::unique_ptr<CHtmlCreater> m_pCreater;

 private:
  void CourtesyWait();
  void LearnSize(int bytes);

  std::string m_strFailure;
  std::string m_strMarksDropped;
  bool m_bWroteHead = false;
};

}  // namespace kanro::listing
