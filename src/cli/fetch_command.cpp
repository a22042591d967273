// kanro-cli fetch URL FILE: one GET through the configured proxy, the body
// written to FILE. A way for users to check their network settings.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

#include "app/messages.h"
#include "cli/cli_command.h"
#include "cli/stop_signals.h"
#include "cli/terminal_progress.h"
#include "net/http_request.h"
#include "net/proxy_settings.h"
#include "text/codepage.h"

namespace kanro::cli {
namespace {

int RunFetch(std::vector<std::string>& args);

const CliCommand kFetchCommand{
    "fetch", "fetch URL FILE",
    "download one address through the configured proxy into FILE (checks the network settings)",
    RunFetch};

KANRO_CLI_COMMAND(fetch, kFetchCommand);

// Feeds the transfer's progress messages to the terminal's progress line.
class ProgressBar : public app::MessageTarget {
 public:
  explicit ProgressBar(bool visible) : line_(stderr, visible) {}
  intptr_t Send(unsigned message, uintptr_t wParam, intptr_t lParam) override {
    if (message == app::UM_PROGRESS) line_.Progress(wParam, lParam);
    return 0;
  }
  void Post(unsigned message, uintptr_t wParam, intptr_t lParam) override { Send(message, wParam, lParam); }
  void Finish() { line_.Finish(); }

 private:
  TerminalProgress line_;
};

void DescribeConnection() {
  const net::ProxySettings proxy = net::ReadProxySettings();
  switch (proxy.accessType) {
    case net::kAccessDirect:
      std::fprintf(stderr, "connection: direct\n");
      break;
    case net::kAccessProxy:
      std::fprintf(stderr, "connection: proxy %s%s\n", text::Cp932ToUtf8(proxy.ProxyName()).c_str(),
                   proxy.SendsCredentials()
                       ? (" as " + text::Cp932ToUtf8(proxy.user)).c_str()
                       : "");
      break;
    default:
      std::fprintf(stderr, "connection: system configuration\n");
      break;
  }
}

int RunFetch(std::vector<std::string>& args) {
  if (args.size() != 2) return UsageError(kFetchCommand, "needs a URL and a file name");
  const std::string& url = args[0];
  const std::filesystem::path output(args[1]);

  DescribeConnection();
  ProgressBar bar(isatty(2) != 0);
  int result = 0;
  bool stopped = false;
  {
    CancelOnStopSignals stopSignals;
    result = HttpRequest(output, {""}, url, "", &bar, url.c_str(), "GET", kListingPageLimits);
    stopped = stopSignals.Stopped();
  }
  bar.Finish();

  if (result >= 1) {
    std::printf("%d bytes written to %s\n", result, args[1].c_str());
    return 0;
  }
  if (stopped) {
    std::fprintf(stderr, "cancelled\n");
  } else if (result == 0) {
    std::fprintf(stderr, "the response was empty\n");
  } else {
    std::fprintf(stderr, "the download failed\n");
  }
  g_bCancel.store(false);
  return 1;
}

}  // namespace
}  // namespace kanro::cli
