#pragma once
// A download run: for each listing day and each entry of the programme list,
// in that order (day-major), the matching producer fetches and converts one
// page. Runs synchronously on the calling thread; callers start the worker.
#include <cstdint>
#include <string>

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
  bool renewHeaders = false;              // rewrite the header page of each entry the run reaches
};

// The run. Sends UM_TASKRESULT 0 when every page was handled and returns 0;
// posts UM_TASKRESULT 4 when a page failed or the run was cancelled and
// returns 1. Owns g_pNetBusy while it runs and clears g_bCancel at the end.
int DownloadThread(DOWNLOADPARAM* param);

}  // namespace kanro::listing
