#include "iomodsim/pty_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

#include "frame_server.h"
#include "iomodsim/bus.h"

namespace sim {
namespace {

// Raw 8N1 at the given rate (0: leave the rate), receiver on, no modem control.
bool MakeRaw(int fd, unsigned baud, std::string* error) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) return SystemError(error, "tcgetattr");
  ::cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (baud != 0) {
    speed_t speed = B9600;
    switch (baud) {
      case 1200: speed = B1200; break;
      case 2400: speed = B2400; break;
      case 4800: speed = B4800; break;
      case 9600: speed = B9600; break;
      case 19200: speed = B19200; break;
      case 38400: speed = B38400; break;
      case 57600: speed = B57600; break;
      case 115200: speed = B115200; break;
      default:
        if (error) *error = "unsupported baud rate " + std::to_string(baud);
        return false;
    }
    ::cfsetispeed(&settings, speed);
    ::cfsetospeed(&settings, speed);
  }
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) return SystemError(error, "tcsetattr");
  return true;
}

}  // namespace

PtyServer::PtyServer(Bus& bus) : bus_(bus) {}

PtyServer::~PtyServer() { Stop(); }

bool PtyServer::Start(std::string* error) {
  if (server_) {
    if (error) *error = "already serving";
    return false;
  }
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return SystemError(error, "posix_openpt");
  char name[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
    SystemError(error, "pseudo-terminal set-up");
    ::close(master);
    return false;
  }
  // The line discipline sits on the slave side: echo and line editing there
  // would turn requests back into the master, so the slave goes raw.
  int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) {
    SystemError(error, std::string("open ") + name);
    ::close(master);
    return false;
  }
  if (!MakeRaw(slave, 0, error)) {
    ::close(slave);
    ::close(master);
    return false;
  }
  auto server = std::make_unique<FrameServer>(bus_);
  if (!server->Start(master, error)) {
    ::close(slave);
    return false;
  }
  server_ = std::move(server);
  slave_ = slave;
  slavePath_ = name;
  return true;
}

std::string PtyServer::SlavePath() const { return slavePath_; }

void PtyServer::Stop() {
  server_.reset();
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

DeviceServer::DeviceServer(Bus& bus) : bus_(bus) {}

DeviceServer::~DeviceServer() { Stop(); }

bool DeviceServer::Start(const std::string& path, std::string* error) {
  if (server_) {
    if (error) *error = "already serving";
    return false;
  }
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return SystemError(error, "open " + path);
  if (::isatty(fd) && !MakeRaw(fd, bus_.Options().baud, error)) {
    ::close(fd);
    return false;
  }
  auto server = std::make_unique<FrameServer>(bus_);
  if (!server->Start(fd, error)) return false;
  server_ = std::move(server);
  return true;
}

void DeviceServer::Stop() { server_.reset(); }

}  // namespace sim
