// Files, directories and child processes for the tests that run real
// processes. Children are started and stopped by their pid; waits poll for
// a condition with a bounded timeout.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

namespace relauncher_test {

using namespace std::chrono_literals;

// A fresh directory under /tmp, removed with its contents.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/relauncher-test-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline bool WriteFile(const std::string& path, const std::string& contents, mode_t mode = 0644) {
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!(file << contents)) return false;
  }
  return chmod(path.c_str(), mode) == 0;
}

// The file's contents; empty if it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::string text;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[512];
  ssize_t got = 0;
  while ((got = read(fd, chunk, sizeof chunk)) > 0)
    text.append(chunk, static_cast<std::size_t>(got));
  close(fd);
  return text;
}

inline bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// Polls condition every few milliseconds; true as soon as it holds, false
// once the timeout has passed without it.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = 10s) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// Unblocks a shell script waiting in `read line < fifo`: opening the fifo
// for writing meets the script's open, closing it gives the read its end.
// False if the script never opened the fifo.
inline bool ReleaseFifo(const std::string& fifo) {
  int fd = -1;
  const bool opened = WaitUntil([&] {
    fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);  // fails while no reader
    return fd >= 0;
  });
  if (opened) close(fd);
  return opened;
}

// A program run as a child of the test in the given directory. Still
// running when destroyed, it is killed by its pid and collected.
class ChildProcess {
 public:
  // posix_spawn rather than fork: the emulators of the 32-bit test runs
  // do not all survive the C library's fork.
  ChildProcess(const std::string& program, const std::string& workingDirectory) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    char* const argv[] = {const_cast<char*>(program.c_str()), nullptr};
    if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ChildProcess() {
    if (pid_ > 0 && !exitCode_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }

  // Collects the child if it has ended: its exit code (128 + signal when
  // killed); nullopt while it runs.
  std::optional<int> ExitCode() {
    if (pid_ <= 0 || exitCode_) return exitCode_;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return exitCode_;
  }

  std::optional<int> WaitForExit(std::chrono::milliseconds timeout = 10s) {
    WaitUntil([this] { return ExitCode().has_value(); }, timeout);
    return exitCode_;
  }

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

}  // namespace relauncher_test
