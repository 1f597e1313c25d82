// Starting a program detached from the caller, with a reliable answer to
// "did it start": a daemon-style double fork whose grandchild reports its pid
// and, should exec fail, the error through a close-on-exec pipe. The pipe
// reaches end-of-file with nothing after the pid exactly when exec succeeded.
//
// The forks are clone() calls on stacks of their own rather than fork():
// the children only make system calls, so the C library's fork bookkeeping
// is not needed, and some emulators used to run 32-bit builds hang in the
// child of the C library's fork.
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <vector>

#include "linux_detail.h"

namespace platform::detail {
namespace {

bool WriteAll(int fd, const void* data, std::size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Reads until end-of-file; at most capacity bytes are kept, the count of all
// bytes read is returned.
std::size_t ReadToEnd(int fd, void* data, std::size_t capacity) {
  auto* bytes = static_cast<char*>(data);
  std::size_t total = 0;
  char scratch[64];
  for (;;) {
    char* target = total < capacity ? bytes + total : scratch;
    const std::size_t room = total < capacity ? capacity - total : sizeof scratch;
    const ssize_t got = read(fd, target, room);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return total;
    total += static_cast<std::size_t>(got);
  }
}

// The new program gets no descriptors of the caller beyond 0, 1 and 2.
void CloseDescriptorsOnExec() {
  if (close_range(3, ~0u, CLOSE_RANGE_CLOEXEC) == 0) return;
  rlimit limit{};
  int highest = 1024;
  if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < 65536) {
    highest = static_cast<int>(limit.rlim_cur);
  }
  for (int fd = 3; fd < highest; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
}

struct StartRequest {
  const char* path;
  int reportFd;
  bool inheritDescriptors;
  char* programStack;  // top of the stack the grandchild runs on
};

// The grandchild: becomes the program.
int ExecProgram(void* argument) {
  const auto* request = static_cast<const StartRequest*>(argument);
  const pid_t self = getpid();
  WriteAll(request->reportFd, &self, sizeof self);
  if (!request->inheritDescriptors) CloseDescriptorsOnExec();
  char* const argv[] = {const_cast<char*>(request->path), nullptr};
  execv(request->path, argv);
  const int error = errno;
  WriteAll(request->reportFd, &error, sizeof error);
  return 127;
}

// The middle process leads a new session and leaves at once, so the
// program is neither the caller's child nor in its session.
int StartInNewSession(void* argument) {
  auto* request = static_cast<StartRequest*>(argument);
  if (setsid() < 0) return 1;
  return clone(ExecProgram, request->programStack, SIGCHLD, request) < 0 ? 1 : 0;
}

constexpr std::size_t kChildStackSize = 64 * 1024;

// Stacks grow downwards on the supported processors; keep the top aligned.
char* StackTop(std::vector<char>& memory, std::size_t end) {
  const auto top = reinterpret_cast<std::uintptr_t>(memory.data() + end) & ~std::uintptr_t{15};
  return reinterpret_cast<char*>(top);
}

}  // namespace

bool StartDetachedProcess(const std::string& linuxPath, bool inheritDescriptors, pid_t& pid) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return false;

  // Without CLONE_VM each child works on its own copy of this memory.
  std::vector<char> stacks(2 * kChildStackSize);
  StartRequest request{linuxPath.c_str(), report[1], inheritDescriptors,
                       StackTop(stacks, 2 * kChildStackSize)};
  const pid_t middle =
      clone(StartInNewSession, StackTop(stacks, kChildStackSize), SIGCHLD, &request);
  close(report[1]);
  if (middle < 0) {
    close(report[0]);
    return false;
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  pid_t started = 0;
  const std::size_t reported = ReadToEnd(report[0], &started, sizeof started);
  close(report[0]);
  const bool middleSucceeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (!middleSucceeded || reported != sizeof started) return false;
  pid = started;
  return true;
}

}  // namespace platform::detail
