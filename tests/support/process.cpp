#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern char** environ;

namespace kanro::test {
namespace {

void CloseIfOpen(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

std::vector<std::string> BuildEnvironment(const std::map<std::string, std::string>& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string item = *entry;
    std::string name = item.substr(0, item.find('='));
    if (changes.count(name) == 0) result.push_back(item);
  }
  for (const auto& [name, value] : changes)
    if (!value.empty()) result.push_back(name + "=" + value);
  return result;
}

// Starts the program with the prepared file actions, the arguments and the
// environment changed as the options say. Returns 0 or the error number.
int Spawn(const std::filesystem::path& program, const std::vector<std::string>& args, const ProcessOptions& options,
          posix_spawn_file_actions_t* actions, pid_t* pid) {
  if (!options.workingDir.empty()) posix_spawn_file_actions_addchdir_np(actions, options.workingDir.c_str());
  std::vector<std::string> argStrings;
  argStrings.push_back(program.string());
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStrings) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> envStrings = BuildEnvironment(options.env);
  std::vector<char*> envp;
  for (std::string& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  const int spawned = posix_spawn(pid, program.c_str(), actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(actions);
  return spawned;
}

}  // namespace

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
  ProcessResult result;
  int outPipe[2] = {-1, -1}, errPipe[2] = {-1, -1}, inPipe[2] = {-1, -1};
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0 || pipe2(inPipe, O_CLOEXEC) != 0) {
    for (int* p : {outPipe, errPipe, inPipe}) {
      CloseIfOpen(p[0]);
      CloseIfOpen(p[1]);
    }
    result.err = "pipe failed";
    return result;
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  pid_t pid = -1;
  const int spawned = Spawn(program, args, options, &actions, &pid);
  CloseIfOpen(inPipe[0]);
  CloseIfOpen(outPipe[1]);
  CloseIfOpen(errPipe[1]);
  if (spawned != 0) {
    CloseIfOpen(inPipe[1]);
    CloseIfOpen(outPipe[0]);
    CloseIfOpen(errPipe[0]);
    result.err = std::string("cannot start ") + program.string() + ": " + std::strerror(spawned);
    return result;
  }

  // Feed stdin and drain both outputs together so a chatty child never blocks.
  // A child that ignores its input would raise SIGPIPE in this process; tests
  // never want that signal, so it is ignored once for the whole process
  // (switching it per call would race between threads).
  static std::once_flag ignoreSigpipe;
  std::call_once(ignoreSigpipe, [] { signal(SIGPIPE, SIG_IGN); });
  size_t fed = 0;
  if (options.stdinText.empty()) CloseIfOpen(inPipe[1]);
  else fcntl(inPipe[1], F_SETFL, O_NONBLOCK);
  char buffer[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
  bool killed = false;
  while (outPipe[0] >= 0 || errPipe[0] >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      killed = true;
      break;
    }
    pollfd fds[3];
    nfds_t count = 0;
    int* owners[3];
    for (int* fd : {&outPipe[0], &errPipe[0], &inPipe[1]}) {
      if (*fd < 0) continue;
      fds[count].fd = *fd;
      fds[count].events = (fd == &inPipe[1]) ? POLLOUT : POLLIN;
      fds[count].revents = 0;
      owners[count++] = fd;
    }
    if (poll(fds, count, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      int* fd = owners[i];
      if (fd == &inPipe[1]) {
        ssize_t n = write(*fd, options.stdinText.data() + fed, options.stdinText.size() - fed);
        if (n > 0) fed += static_cast<size_t>(n);
        if (n < 0 && errno != EAGAIN) fed = options.stdinText.size();
        if (fed >= options.stdinText.size()) CloseIfOpen(*fd);
        continue;
      }
      ssize_t n = read(*fd, buffer, sizeof buffer);
      if (n > 0) {
        (fd == &outPipe[0] ? result.out : result.err).append(buffer, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        CloseIfOpen(*fd);
      }
    }
  }
  CloseIfOpen(inPipe[1]);
  CloseIfOpen(outPipe[0]);
  CloseIfOpen(errPipe[0]);

  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = (!killed && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
  return result;
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) Stop(SIGKILL);
}

bool BackgroundProcess::Start(const std::filesystem::path& program, const std::vector<std::string>& args,
                              const ProcessOptions& options) {
  if (pid_ > 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (Spawn(program, args, options, &actions, &pid) != 0) return false;
  pid_ = pid;
  exitCode_ = -1;
  return true;
}

bool BackgroundProcess::Running() { return Wait(0) == -1 && pid_ > 0; }

int BackgroundProcess::Wait(int timeoutMs) {
  if (pid_ <= 0) return exitCode_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    int status = 0;
    pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      pid_ = -1;
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return exitCode_;
    }
    if (done < 0 && errno != EINTR) {
      pid_ = -1;
      return exitCode_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    usleep(10000);
  }
}

void BackgroundProcess::Stop(int signal) {
  if (pid_ <= 0) return;
  kill(pid_, signal);
  if (Wait(10000) == -1 && pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait(10000);
  }
}

std::filesystem::path BinDir() {
  const char* dir = std::getenv("KANRO_BIN_DIR");
  return dir ? std::filesystem::path(dir) : std::filesystem::path();
}

std::filesystem::path KanroCliPath() { return BinDir() / "kanro-cli"; }

ProcessResult RunKanroCli(const std::vector<std::string>& args, const ProcessOptions& options) {
  return RunProcess(KanroCliPath(), args, options);
}

}  // namespace kanro::test
