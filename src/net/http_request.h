#pragma once
// The one routine through which every byte the program fetches passes: one
// HTTP request through the configured proxy, the body streamed into a file,
// progress reported to a window, failures shown to the user.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/messages.h"

// Bounds of one request: a body larger than maxBodyBytes is refused, and the
// whole request (a retry after a proxy's 407 included) ends after deadline.
struct HttpLimits {
  long long maxBodyBytes;
  std::chrono::seconds deadline;
};

// A listing page is about 300 KB; anything past 16 MB is not one.
inline constexpr HttpLimits kListingPageLimits{16LL * 1024 * 1024, std::chrono::minutes(10)};
// The service answers with a few lines of text.
inline constexpr HttpLimits kServiceLimits{64LL * 1024, std::chrono::minutes(2)};

// Performs one request and writes the response body to outputPath (created or
// emptied). extraHeaders are added in order (an empty entry adds nothing);
// body is sent with its length (empty: no body); progressWindow (may be null)
// receives UM_PROGRESS; referer may be null; verb is "GET" or "POST".
// A transfer that averages under 1 KiB/s over the time-out window
// (KANRO_NET_TIMEOUT_SEC, default 60 s), a body over limits.maxBodyBytes and
// a request that outlasts limits.deadline all end as failures with a message.
// Returns the number of body bytes written, -1 on failure (a message has been
// shown unless the URL could not be split or the file could not be written),
// or 0 when g_bCancel stopped the transfer.
int HttpRequest(const std::filesystem::path& outputPath,
                const std::vector<std::string>& extraHeaders,
                const std::string& url, const std::string& body,
                kanro::app::MessageTarget* progressWindow,
                const char* referer,
                const std::string& verb,
                const HttpLimits& limits = kListingPageLimits);
