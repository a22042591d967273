#pragma once
// Runs a program as a child process and captures what it prints, for tests
// that drive kanro-cli or kanro end to end.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kanro::test {

struct ProcessResult {
  int exitCode = -1;  // -1 when the program could not start or was killed
  std::string out;    // everything written to stdout
  std::string err;    // everything written to stderr
};

struct ProcessOptions {
  // Variables set (or, with an empty value, removed) on top of this process's
  // environment.
  std::map<std::string, std::string> env;
  std::string stdinText;                // fed to the child's stdin, then closed
  std::filesystem::path workingDir;     // empty: this process's
  int timeoutMs = 120000;               // then the child is killed (exitCode -1)
};

// Runs the program with the arguments and waits for it to end.
ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});

// A child left running while the test goes on; its output is discarded. The
// destructor kills it if it still runs.
class BackgroundProcess {
 public:
  BackgroundProcess() = default;
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
             const ProcessOptions& options = {});
  bool Running();
  // Waits up to timeoutMs for the child to end; its exit code, or -1.
  int Wait(int timeoutMs);
  // Sends the signal (SIGTERM by default) and reaps the child.
  void Stop(int signal = 15);
  int pid() const { return pid_; }

 private:
  int pid_ = -1;
  int exitCode_ = -1;
};

// The folder of the built executables and shipped data files (KANRO_BIN_DIR).
std::filesystem::path BinDir();
// BinDir() / "kanro-cli".
std::filesystem::path KanroCliPath();

// Runs kanro-cli with the arguments.
ProcessResult RunKanroCli(const std::vector<std::string>& args, const ProcessOptions& options = {});

}  // namespace kanro::test
