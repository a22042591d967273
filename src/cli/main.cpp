// kanro-cli: the program's core without a window, for scripts, cron jobs and
// tests. Global options come before the command word.
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/paths.h"
#include "app/startup.h"
#include "cli/cli_command.h"

namespace kanro::cli {
namespace {

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

// Prints each usage line of a command, the first after "usage: ".
void PrintUsageLines(std::FILE* out, const CliCommand& command, bool first) {
  std::string usage = command.usage;
  size_t start = 0;
  while (start <= usage.size()) {
    size_t end = usage.find('\n', start);
    if (end == std::string::npos) end = usage.size();
    if (end > start) {
      std::fprintf(out, "%skanro-cli %s\n", first ? "usage: " : "       ", usage.substr(start, end - start).c_str());
      first = false;
    }
    start = end + 1;
  }
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: kanro-cli [--data-dir DIR] COMMAND [ARGS...]\n"
               "\n"
               "The data folder is DIR, else $KANRO_DATA_DIR, else the folder of kanro-cli.\n"
               "Arguments and output are UTF-8.\n"
               "\n"
               "Commands:\n");
  for (const CliCommand& command : Registry()) std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
  std::fprintf(out, "\n");
  bool first = true;
  for (const CliCommand& command : Registry()) {
    PrintUsageLines(out, command, first);
    first = false;
  }
}

int GlobalUsageError(const std::string& problem) {
  std::fprintf(stderr, "kanro-cli: %s\n", problem.c_str());
  std::fprintf(stderr, "usage: kanro-cli [--data-dir DIR] COMMAND [ARGS...]  (kanro-cli help lists the commands)\n");
  return 2;
}

}  // namespace

bool RegisterCliCommand(const CliCommand& command) {
  Registry().push_back(command);
  return true;
}

const std::vector<CliCommand>& CliCommands() { return Registry(); }

int UsageError(const CliCommand& command, const std::string& problem) {
  if (!problem.empty()) std::fprintf(stderr, "kanro-cli %s: %s\n", command.name, problem.c_str());
  PrintUsageLines(stderr, command, true);
  return 2;
}

bool PrepareDataFolder() {
  std::string reason;
  if (app::PrepareDataFolder(&reason)) return true;
  std::fprintf(stderr, "kanro-cli: %s\n", reason.c_str());
  return false;
}

void PrepareDataFolderIfWritable(const CliCommand& command) {
  std::string reason;
  if (!app::PrepareDataFolderIfWritable(&reason))
    std::fprintf(stderr, "kanro-cli %s: note: %s; the settings are used all the same\n", command.name,
                 reason.c_str());
}

}  // namespace kanro::cli

int main(int argc, char** argv) {
  using namespace kanro;
  // Past a file-size limit (ulimit -f) a write then fails with EFBIG and takes
  // the ordinary "cannot write" path (message, exit 1, temporary file removed)
  // instead of killing the process and leaving the temporary file behind.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);

  // Global options, up to the command word.
  std::vector<std::string> dataDirArgs;
  size_t next = 0;
  while (next < args.size() && args[next].rfind("-", 0) == 0) {
    const std::string& option = args[next];
    if (option == "--data-dir") {
      if (next + 1 >= args.size() || args[next + 1].empty()) return cli::GlobalUsageError("--data-dir needs a folder");
      dataDirArgs = {option, args[next + 1]};
      next += 2;
    } else if (option.rfind("--data-dir=", 0) == 0) {
      if (option.size() == 11) return cli::GlobalUsageError("--data-dir needs a folder");
      dataDirArgs = {option};
      next += 1;
    } else if (option == "-h" || option == "--help") {
      cli::PrintHelp(stdout);
      return 0;
    } else {
      return cli::GlobalUsageError("unknown option " + option);
    }
  }
  if (next >= args.size()) {
    cli::PrintHelp(stderr);
    return 2;
  }
  std::string name = args[next];
  std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(next + 1), args.end());
  if (name == "help") {
    cli::PrintHelp(stdout);
    return 0;
  }

  app::SetDataDir(app::ResolveDataDir(dataDirArgs, argc > 0 ? argv[0] : nullptr));
  for (const cli::CliCommand& command : cli::CliCommands()) {
    if (name == command.name) return command.run(rest);
  }
  return cli::GlobalUsageError("unknown command " + name);
}
