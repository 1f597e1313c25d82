#include "frame_server.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "iomodsim/bus.h"
#include "protocol.h"

namespace sim {
namespace {

constexpr int kWriteWaitMs = 1000;  // a reply that cannot be written for this long is dropped

void CloseIfOpen(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

}  // namespace

bool SystemError(std::string* error, const std::string& what) {
  if (error) *error = what + ": " + std::strerror(errno);
  return false;
}

FrameServer::FrameServer(Bus& bus) : bus_(bus) {}

FrameServer::~FrameServer() { Stop(); }

bool FrameServer::Start(int fd, std::string* error) {
  if (thread_.joinable()) {
    ::close(fd);
    if (error) *error = "already serving";
    return false;
  }
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    ::close(fd);
    return SystemError(error, "pipe");
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) != 0) {
    SystemError(error, "fcntl");
    ::close(fd);
    ::close(wake[0]);
    ::close(wake[1]);
    return false;
  }
  fd_ = fd;
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
  stopping_ = false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void FrameServer::Stop() {
  if (thread_.joinable()) {
    stopping_ = true;
    char byte = 0;
    [[maybe_unused]] ssize_t written = ::write(wakeWrite_, &byte, 1);
    thread_.join();
  }
  CloseIfOpen(fd_);
  CloseIfOpen(wakeRead_);
  CloseIfOpen(wakeWrite_);
}

void FrameServer::Run() {
  FrameAssembler assembler;
  char buffer[256];
  while (!stopping_) {
    pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents & (POLLERR | POLLNVAL)) return;
    ssize_t count = ::read(fd_, buffer, sizeof buffer);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (count <= 0) {
      // The other end is gone (a device unplugged, a pty without reader): wait, then try again.
      pollfd wait = {wakeRead_, POLLIN, 0};
      ::poll(&wait, 1, 100);
      continue;
    }
    for (ssize_t i = 0; i < count; ++i) {
      if (!assembler.Add(buffer[i])) continue;
      if (auto reply = bus_.Respond(assembler.Take())) {
        if (!WriteAll(*reply)) break;
      }
    }
  }
}

bool FrameServer::WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size() && !stopping_) {
    ssize_t count = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
      continue;
    }
    if (count < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
    if (::poll(fds, 2, kWriteWaitMs) <= 0 || fds[1].revents != 0) return false;
  }
  return done == bytes.size();
}

}  // namespace sim
