#pragma once
// A download run: for each listing day and each entry of the programme list,
// in that order (day-major), the matching producer fetches and converts one
// page. Runs synchronously on the calling thread; callers start the worker.
#include <cstdint>
#include <string>
#include <vector>

#include "app/messages.h"

namespace kanro::listing {

// Longest run honoured: a larger "Days" is cut to this many listing days.
inline constexpr int kMaxDownloadDays = 31;

struct DOWNLOADPARAM {
  int days = 8;                           // "Download"/"Days"
  int64_t start = 0;                      // GetListingTime() when the run starts
  bool force = false;                     // fetch even existing data pages
  app::MessageTarget* window = nullptr;   // receives the messages; may be null
  std::string programmes;                 // "Download"/"Programs", e.g. "08GooTv,13YahooFm,"
  bool onceADay = false;                  // cleared when the run ends
  // Rewrite the header page of each entry the run reaches (once per entry);
  // an old header page is replaced only by a complete new one, and header
  // pages of entries outside the run are left alone.
  bool renewHeaders = false;

  // Filled by the run when a page failed: its name ("2011030908GooTv") and
  // the status text saying why (CP932). Empty after a run that completed.
  std::string failedPage;
  std::string failure;
  // Filled by the run: per page that lost watch marks because their
  // programme left the schedule, the status text naming them (CP932).
  std::vector<std::string> marksDropped;
};

// The run. Sends UM_TASKRESULT 0 when every page was handled and returns 0;
// posts UM_TASKRESULT 4 when a page failed or the run was cancelled and
// returns 1 (the failing page also sent its reason as UM_STATUSTEXT). A run
// in which marks were dropped says so again in a last UM_STATUSTEXT before
// it reports success, so that the notice outlasts the next page's. Owns
// g_pNetBusy while it runs and clears g_bCancel at the end.
int DownloadThread(DOWNLOADPARAM* param);

}  // namespace kanro::listing
