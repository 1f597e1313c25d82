// termios implementation of SerialPort, for terminals libserialport cannot
// look up (pseudo-terminals). Non-blocking descriptor, poll() for timeouts.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "serial_port.h"

namespace iohost {
namespace {

speed_t SpeedOf(unsigned baud) {
  switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    // Linux's higher rates, up to the most a station file may name.
    case 460800: return B460800;
    case 500000: return B500000;
    case 576000: return B576000;
    case 921600: return B921600;
    case 1000000: return B1000000;
    case 1152000: return B1152000;
    case 1500000: return B1500000;
    case 2000000: return B2000000;
    case 2500000: return B2500000;
    case 3000000: return B3000000;
    case 3500000: return B3500000;
    case 4000000: return B4000000;
    default: return B0;
  }
}

class TermiosPort final : public SerialPort {
 public:
  explicit TermiosPort(int fd) : fd_(fd) {}
  ~TermiosPort() override { close(fd_); }
  TermiosPort(const TermiosPort&) = delete;
  TermiosPort& operator=(const TermiosPort&) = delete;

  bool Write(const char* data, std::size_t size, unsigned timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = write(fd_, data + done, size - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
      const int left = RemainingMs(deadline);
      if (left <= 0 || !Wait(POLLOUT, left)) return false;
    }
    return true;
  }

  int ReadSome(char* buffer, std::size_t size, unsigned timeoutMs) override {
    pollfd entry{fd_, POLLIN, 0};
    const int ready = poll(&entry, 1, static_cast<int>(timeoutMs));
    if (ready < 0) return errno == EINTR ? 0 : -1;
    if (ready == 0) return 0;
    if ((entry.revents & (POLLERR | POLLNVAL)) != 0) return -1;
    const ssize_t n = read(fd_, buffer, size);
    if (n > 0) return static_cast<int>(n);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return 0;
    return -1;  // end of file or EIO: the other side is gone (hang-up)
  }

  bool DiscardInput() override { return tcflush(fd_, TCIFLUSH) == 0; }
  const char* Backend() const override { return "termios"; }

 private:
  static int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return static_cast<int>(left.count());
  }
  bool Wait(short events, int timeoutMs) {
    pollfd entry{fd_, events, 0};
    return poll(&entry, 1, timeoutMs) > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
  }
  int fd_;
};

}  // namespace

std::unique_ptr<SerialPort> OpenTermiosPort(const std::string& path, const station::Bus& line,
                                            std::string* error) {
  const speed_t speed = SpeedOf(line.baud);
  if (speed == B0) {
    *error = "baud rate " + std::to_string(line.baud) + " is not available on " + path;
    return nullptr;
  }
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  auto port = std::make_unique<TermiosPort>(fd);
  termios settings{};
  if (!isatty(fd) || tcgetattr(fd, &settings) != 0) {
    *error = path + " is not a serial port or terminal";
    return nullptr;
  }
  cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
  settings.c_cflag |= line.dataBits == 7 ? CS7 : CS8;
  if (line.parity != station::Parity::kNone) settings.c_cflag |= PARENB;
  if (line.parity == station::Parity::kOdd) settings.c_cflag |= PARODD;
  if (line.stopBits == 2) settings.c_cflag |= CSTOPB;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
  if (tcsetattr(fd, TCSANOW, &settings) != 0) {
    *error = "cannot set the line settings of " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  return port;
}

}  // namespace iohost
