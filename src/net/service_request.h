#pragma once
// Requests to the maker's service: the viewing-plan ranking and the version
// check, each one POST whose response file is handed to the main window.
#include <string>

#include "app/messages.h"

namespace kanro::net {

// The service script the program talks to when nothing overrides it.
inline constexpr const char* kDefaultServiceUrl = "http://kanro.tsuki-soft.example/kanro/operate.php";

// The full address of the service script: the environment variable
// KANRO_SERVICE_URL when set and not empty, otherwise kDefaultServiceUrl.
std::string ServiceUrl();

}  // namespace kanro::net

// Sends one POST to url with body. On a response of at least one byte, sends
// UM_TASKRESULT with wParam resultCode and lParam pointing to the
// NUL-terminated path of a temporary "tv" file holding the response; the
// handler reads the file and deletes it before returning. Otherwise posts
// UM_TASKRESULT with TASK_FAILED. The temporary file never outlives the
// call. Responses over kServiceLimits are refused. Sets
// g_pNetBusy for its duration and clears g_bCancel at the end. window may be
// null. Returns true when the response was handed over.
bool RequestToService(const std::string& url, const std::string& body, uintptr_t resultCode,
                      kanro::app::MessageTarget* window);

// Worker procedures. They run on the caller's thread, so the caller starts
// them on a worker thread; window must stay usable until they return.
// Ranking: "RANK=<Window/MaxRank>", result TASK_RANKING.
void RankingThread(kanro::app::MessageTarget* window);
// Version check: "VERSION=CHECK", result TASK_VERSION.
void VersionThread(kanro::app::MessageTarget* window);
