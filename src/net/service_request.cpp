#include "net/service_request.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/net_busy.h"
#include "app/settings_store.h"
#include "net/http_request.h"

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

// A new, empty, uniquely named file "tv..." in the system's temporary folder.
std::optional<std::filesystem::path> CreateTemporaryFile() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return std::nullopt;
#ifdef _WIN32
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path candidate =
        folder / ("tv" + std::to_string(std::rand() % 0x10000) + ".tmp");
    if (FILE* file = _wfopen(candidate.c_str(), L"wx")) {
      std::fclose(file);
      return candidate;
    }
  }
  return std::nullopt;
#else
  std::string pattern = (folder / "tvXXXXXX").string();
  int fd = mkstemp(pattern.data());
  if (fd < 0) return std::nullopt;
  close(fd);
  return std::filesystem::path(pattern);
#endif
}

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
  auto file = CreateTemporaryFile();
  if (file) {
    int result = HttpRequest(*file, {}, url, body, window, nullptr, "POST");
    if (result >= 1) {
      if (window != nullptr) {
        const std::string path = file->string();
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
