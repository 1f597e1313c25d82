// Serving over real pseudo-terminals: the simulator's own pair (PtyServer)
// and a pair made by someone else served as a device (DeviceServer).
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "iomodsim/bus.h"
#include "iomodsim/pty_server.h"

namespace sim::test {
namespace {

constexpr int kReplyTimeoutMs = 2000;

class Line {
 public:
  explicit Line(int fd) : fd_(fd) {}
  ~Line() {
    if (fd_ >= 0) ::close(fd_);
  }
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;

  static int OpenRaw(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return -1;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
  }

  bool Send(const std::string& bytes) {
    return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }

  // Bytes up to and including a carriage return, or what came before the timeout.
  std::string ReadReply(int timeoutMs = kReplyTimeoutMs) {
    std::string reply;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (reply.empty() || reply.back() != '\r') {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd fds = {fd_, POLLIN, 0};
      if (::poll(&fds, 1, static_cast<int>(left.count())) <= 0) break;
      char c;
      if (::read(fd_, &c, 1) == 1) reply += c;
    }
    return reply;
  }

  int fd() const { return fd_; }

 private:
  int fd_;
};

TEST(PtyServer, AnswersFramesWrittenToTheSlave) {
  Bus bus({});
  ASSERT_TRUE(bus.AddModule({"mx43110", 1, "MX-43110"}, nullptr));
  PtyServer server(bus);
  std::string error;
  ASSERT_TRUE(server.Start(&error)) << error;
  ASSERT_EQ(server.SlavePath().rfind("/dev/pts/", 0), 0u) << server.SlavePath();

  Line line(Line::OpenRaw(server.SlavePath()));
  ASSERT_GE(line.fd(), 0);
  ASSERT_TRUE(line.Send("\x7f noise $0"));  // a frame in pieces, after noise
  ASSERT_TRUE(line.Send("1M\r"));
  EXPECT_EQ(line.ReadReply(), "!0143110\r");
  ASSERT_TRUE(line.Send("$05M\r#01"));  // another address gets nothing; an unfinished frame neither
  EXPECT_EQ(line.ReadReply(200), "");
  ASSERT_TRUE(line.Send("\r"));
  EXPECT_EQ(line.ReadReply().size(), 1u + 8 * 7 + 1);
  server.Stop();
  EXPECT_EQ(bus.Statistics().answered, 2u);
}

TEST(PtyServer, StopsWhileAHostStillHoldsTheSlave) {
  Bus bus({});
  auto server = std::make_unique<PtyServer>(bus);
  ASSERT_TRUE(server->Start(nullptr));
  Line line(Line::OpenRaw(server->SlavePath()));
  ASSERT_GE(line.fd(), 0);
  server.reset();  // must not hang
  EXPECT_EQ(line.ReadReply(100), "");
}

TEST(DeviceServer, ServesAnExistingTerminal) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  char name[128];
  ASSERT_EQ(::ptsname_r(master, name, sizeof name), 0);
  Line host(master);
  termios settings{};
  ::tcgetattr(master, &settings);
  ::cfmakeraw(&settings);
  ::tcsetattr(master, TCSANOW, &settings);

  BusOptions options;
  options.checksum = true;
  Bus bus(options);
  ASSERT_TRUE(bus.AddModule({"mx43dio", 2, "MX-43530"}, nullptr));
  DeviceServer server(bus);
  std::string error;
  ASSERT_TRUE(server.Start(name, &error)) << error;
  ASSERT_TRUE(host.Send("$02MD3\r"));
  EXPECT_EQ(host.ReadReply(), "!024353082\r");

  DeviceServer missing(bus);
  EXPECT_FALSE(missing.Start("/nonexistent/tty", &error));
  EXPECT_NE(error.find("/nonexistent/tty"), std::string::npos);
}

}  // namespace
}  // namespace sim::test
