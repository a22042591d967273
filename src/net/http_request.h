#pragma once
// The one routine through which every byte the program fetches passes: one
// HTTP request through the configured proxy, the body streamed into a file,
// progress reported to a window, failures shown to the user.
#include <filesystem>
#include <string>
#include <vector>

#include "app/messages.h"

// Performs one request and writes the response body to outputPath (created or
// emptied). extraHeaders are added in order (an empty entry adds nothing);
// body is sent with its length (empty: no body); progressWindow (may be null)
// receives UM_PROGRESS; referer may be null; verb is "GET" or "POST".
// Returns the number of body bytes written, -1 on failure (a message has been
// shown unless the URL could not be split or the file could not be written),
// or 0 when g_bCancel stopped the transfer.
int HttpRequest(const std::filesystem::path& outputPath,
                const std::vector<std::string>& extraHeaders,
                const std::string& url, const std::string& body,
                kanro::app::MessageTarget* progressWindow,
                const char* referer,
                const std::string& verb);
