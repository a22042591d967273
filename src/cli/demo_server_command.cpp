// kanro-cli demo-server: the demo's listing server and service stand-in on
// their own, for scripts and for pointing a profile at them. Prints the base
// address on stdout and serves until SIGINT, SIGTERM or SIGHUP.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_command.h"
#include "demo/demo_server.h"
#include "listing/listing_types.h"

namespace kanro::cli {
namespace {

int RunDemoServer(std::vector<std::string>& args);

const CliCommand kDemoServerCommand{
    "demo-server", "demo-server [--port N]",
    "serve the demo's generated listing pages and service stand-in on 127.0.0.1 until stopped",
    RunDemoServer};

KANRO_CLI_COMMAND(demo_server, kDemoServerCommand);

bool ParsePort(const std::string& text, int* port) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  *port = std::atoi(text.c_str());
  return *port <= 65535;
}

int RunDemoServer(std::vector<std::string>& args) {
  int port = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string value;
    if (arg == "--port") {
      if (i + 1 >= args.size()) return UsageError(kDemoServerCommand, "--port needs a number");
      value = args[++i];
    } else if (arg.rfind("--port=", 0) == 0) {
      value = arg.substr(7);
    } else {
      return UsageError(kDemoServerCommand, "unknown argument " + arg);
    }
    if (!ParsePort(value, &port)) return UsageError(kDemoServerCommand, "not a port number: " + value);
  }

  // The stop signals are blocked before the server's threads start, so they
  // inherit the mask and only sigwait below receives them.
  sigset_t stops;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  sigaddset(&stops, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stops, nullptr);

  demo::DemoServer server;
  std::string error;
  if (!server.Start(port, &error)) {
    std::fprintf(stderr, "kanro-cli demo-server: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s\n", server.BaseUrl().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "service: %s\n", server.ServiceUrl().c_str());
  for (const listing::ListingType& type : listing::kListingTypes)
    if (listing::IsSiteType(type))
      std::fprintf(stderr, "URL %s: %s\n", std::string(type.key).c_str(), server.UrlTemplate(type.key).c_str());
  std::fprintf(stderr, "URL Tuner: %s\nURL Xmltv: %s\n", server.TunerUrl().c_str(), server.XmltvUrl().c_str());
  std::fprintf(stderr, "serving until interrupted (Ctrl+C)\n");

  int received = 0;
  sigwait(&stops, &received);
  server.Stop();
  return 0;
}

}  // namespace
}  // namespace kanro::cli
