#pragma once
// kanro-cli is a set of commands, each in its own file, that register
// themselves here. Arguments arrive in UTF-8; output is UTF-8.
#include <string>
#include <vector>

namespace kanro::cli {

struct CliCommand {
  const char* name;      // first word on the command line, e.g. "settings"
  const char* usage;     // one or more usage lines, without "kanro-cli"
  const char* summary;   // one line for the help text
  // Runs with the words after the command name. Exit codes: 0 success,
  // 1 failure, 2 usage error.
  int (*run)(std::vector<std::string>& args);
};

bool RegisterCliCommand(const CliCommand& command);
const std::vector<CliCommand>& CliCommands();

// Prints "usage: kanro-cli <usage>" for the command on stderr and returns 2.
int UsageError(const CliCommand& command, const std::string& problem);

// Runs the start-up tasks every data-folder command needs first (default
// files, then retention). Prints the reason on stderr and returns false when
// the data folder cannot be used.
bool PrepareDataFolder();
// The same for commands that write only the settings store, which lives
// elsewhere: a data folder that cannot be written is named in a note on
// stderr, and the command goes on.
void PrepareDataFolderIfWritable(const CliCommand& command);

}  // namespace kanro::cli

// Registers a command at static-initialisation time from its own file.
#define KANRO_CLI_COMMAND(ident, ...) \
  static const bool ident##_registered = ::kanro::cli::RegisterCliCommand(::kanro::cli::CliCommand{__VA_ARGS__})
