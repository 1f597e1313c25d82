#include "faulty_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "iomodsim/bus.h"

namespace robustness {
namespace {

bool Failed(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what + ": " + std::strerror(errno);
  return false;
}

bool IsFrameStart(char c) { return std::strchr("#$@%~", c) != nullptr && c != '\0'; }

}  // namespace

FaultyLine::FaultyLine(sim::Bus& bus, unsigned lateMs, std::uint32_t seed)
    : bus_(bus), lateMs_(lateMs), random_(seed) {}

FaultyLine::~FaultyLine() { Stop(); }

bool FaultyLine::Start(std::string* error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return Failed(error, "posix_openpt");
  char name[128];
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 || ::ptsname_r(master_, name, sizeof name) != 0) {
    return Failed(error, "pseudo-terminal set-up");
  }
  slavePath_ = name;
  // Raw on the slave side, where the line discipline sits: no echo, no
  // line editing of the host's requests.
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  if (slave_ < 0 || ::tcgetattr(slave_, &settings) != 0) return Failed(error, std::string("open ") + name);
  ::cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  if (::tcsetattr(slave_, TCSANOW, &settings) != 0) return Failed(error, "tcsetattr");
  thread_ = std::thread([this] { Run(); });
  return true;
}

void FaultyLine::Stop() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
  if (master_ >= 0) ::close(master_);
  if (slave_ >= 0) ::close(slave_);
  master_ = slave_ = -1;
}

void FaultyLine::SetFaults(const FaultRates& rates) {
  std::lock_guard<std::mutex> lock(mutex_);
  rates_ = rates;
}

LineFigures FaultyLine::Figures() {
  std::lock_guard<std::mutex> lock(mutex_);
  return figures_;
}

void FaultyLine::Run() {
  std::string frame;
  char buffer[256];
  while (!stopping_) {
    pollfd ready{master_, POLLIN, 0};
    if (::poll(&ready, 1, 20) <= 0) continue;
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) continue;
    for (ssize_t i = 0; i < n; ++i) {
      const char c = buffer[i];
      if (frame.empty() && !IsFrameStart(c)) continue;  // what the host sent between frames
      frame += c;
      if (c == '\r') {
        Serve(frame);
        frame.clear();
      }
    }
  }
}

// Noise is what a glitching line delivers: bytes that start no frame and no
// reply and end none.
std::string FaultyLine::Noise() {
  static const char kNoise[] = "\x00\xFF\x80\xFE\x55 x=.,0123";
  std::string noise;
  const int count = 1 + static_cast<int>(random_() % 6);
  for (int i = 0; i < count; ++i) noise += kNoise[random_() % (sizeof kNoise - 1)];
  return noise;
}

void FaultyLine::Serve(const std::string& frame) {
  bool drop = false, corrupt = false, late = false, noisy = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++figures_.frames;
    if (frame.size() >= 5 && frame[0] == '~' && frame[3] == '1' && (frame[4] == '\r' || frame.size() == 7)) {
      ++figures_.serviceStarts[static_cast<unsigned>(std::strtoul(frame.substr(1, 2).c_str(), nullptr, 16))];
    }
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    drop = chance(random_) < rates_.drop;
    corrupt = chance(random_) < rates_.corrupt;
    late = chance(random_) < rates_.late;
    noisy = chance(random_) < rates_.noise;
    if (drop) ++figures_.dropped;
  }
  if (drop) return;
  std::optional<std::string> reply = bus_.Respond(frame);
  if (!reply || reply->empty()) return;
  std::string before, after;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (corrupt && reply->size() > 1) {
      const std::size_t at = random_() % (reply->size() - 1);
      (*reply)[at] = static_cast<char>((*reply)[at] ^ (1 + random_() % 0x7F));
      if ((*reply)[at] == '\r') (*reply)[at] = '#';
      ++figures_.corrupted;
    }
    if (late) ++figures_.late;
    if (noisy) {
      before = Noise();
      after = Noise();
      ++figures_.noisy;
    }
  }
  if (late) std::this_thread::sleep_for(std::chrono::milliseconds(lateMs_));
  WriteAll(before + *reply + after);
}

bool FaultyLine::WriteAll(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size() && !stopping_) {
    const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace robustness
