#include "net/service_request.h"

#include <cstdlib>

#include "app/net_busy.h"
#include "app/settings_store.h"
#include "net/http_request.h"
#include "net/raw_download.h"

namespace kanro::net {

std::string ServiceUrl() {
  const char* overridden = std::getenv("KANRO_SERVICE_URL");
  if (overridden != nullptr && *overridden != '\0') return overridden;
  return kDefaultServiceUrl;
}

}  // namespace kanro::net

namespace {

using kanro::app::MessageTarget;
using kanro::app::TASK_FAILED;
using kanro::app::UM_PROGRESS;
using kanro::app::UM_TASKRESULT;

// Marks the network as busy for one request; the end clears the cancel
// request too, so a cancel aimed at this request does not stop the next.
class NetBusyScope {
 public:
  NetBusyScope() = default;
  ~NetBusyScope() { g_bCancel.store(false); }
  NetBusyScope(const NetBusyScope&) = delete;
  NetBusyScope& operator=(const NetBusyScope&) = delete;

 private:
  kanro::app::NetBusyMarker busy_;
};

}  // namespace

bool RequestToService(const std::string& url, const std::string& body, uintptr_t resultCode,
                      MessageTarget* window) {
  NetBusyScope busy;
  // The handler deletes the response file; whatever it leaves, and the file
  // of a failed request, goes when `file` does.
  kanro::net::RawDownload file;
  if (file.valid()) {
    int result = HttpRequest(file.path(), {}, url, body, window, nullptr, "POST", kServiceLimits);
    if (result >= 1) {
      if (window != nullptr) {
        const std::string path = file.path().string();
        window->Send(UM_TASKRESULT, resultCode, reinterpret_cast<intptr_t>(path.c_str()));
      }
      return true;
    }
  }
  if (window != nullptr) window->Post(UM_TASKRESULT, TASK_FAILED, 0);
  return false;
}

void RankingThread(MessageTarget* window) {
  if (window != nullptr) window->Send(UM_PROGRESS, 0, 80);
  const int maxRank = GetProfileInt("Window", "MaxRank", 5);
  RequestToService(kanro::net::ServiceUrl(), "RANK=" + std::to_string(maxRank),
                   kanro::app::TASK_RANKING, window);
}

void VersionThread(MessageTarget* window) {
  if (window != nullptr) window->Send(UM_PROGRESS, 0, 24);
  RequestToService(kanro::net::ServiceUrl(), "VERSION=CHECK", kanro::app::TASK_VERSION, window);
}
