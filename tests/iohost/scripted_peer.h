// A peer that misbehaves exactly as told: it sits on the master side of a
// pseudo-terminal pair, collects each request up to its carriage return, and
// answers it with the pieces its script gives (a pause, then bytes), so a
// test can send noise, cut replies, overlong replies, slow replies or a
// wrong echo byte for byte.
//
// PeerHost runs the host's bus thread against such a peer with one mx43110
// module at address 1 that starts online, so that every request is the
// eight-channel read "#01". What the host made of exchange n is observed when
// request n + 1 arrives: by then the host has reported the status of
// exchange n to the module, and its next request cannot be sent before.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host_fixture.h"

namespace iohosttest {

struct Piece {
  unsigned pauseMs;  // before the bytes
  std::string bytes;
};
using Answer = std::vector<Piece>;
// The answer to request n (counted from 0), whose text ends with "\r".
using Script = std::function<Answer(std::size_t n, const std::string& request)>;

class ScriptedPeer {
 public:
  explicit ScriptedPeer(Script script) : script_(std::move(script)) {}
  ~ScriptedPeer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  bool Start() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
    const char* name = ptsname(master_);
    if (name == nullptr) return false;
    slavePath_ = name;
    // Kept open: the line stays raw (no echo by the terminal itself) and the
    // master never sees a hang-up between the host's opens.
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave_ < 0 || tcgetattr(slave_, &settings) != 0) return false;
    cfmakeraw(&settings);
    if (tcsetattr(slave_, TCSANOW, &settings) != 0) return false;
    thread_ = std::thread(&ScriptedPeer::Serve, this);
    return true;
  }
  const std::string& SlavePath() const { return slavePath_; }
  // When request n arrived (microseconds of the host's clock).
  std::uint64_t RequestUs(std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    return n < requestUs_.size() ? requestUs_[n] : 0;
  }
  // When the last byte of answer n was written.
  std::uint64_t AnswerEndUs(std::size_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    return n < answerEndUs_.size() ? answerEndUs_[n] : 0;
  }

 private:
  void Serve() {
    std::string request;
    char byte = 0;
    while (!stop_) {
      pollfd entry{master_, POLLIN, 0};
      if (poll(&entry, 1, 10) <= 0 || read(master_, &byte, 1) != 1) continue;
      request += byte;
      if (byte != '\r') continue;
      std::size_t n = 0;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        n = requestUs_.size();
        requestUs_.push_back(iohost::MonotonicUs());
      }
      for (const Piece& piece : script_(n, request)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(piece.pauseMs));
        if (!piece.bytes.empty() && write(master_, piece.bytes.data(), piece.bytes.size()) < 0) return;
      }
      std::lock_guard<std::mutex> lock(mutex_);
      answerEndUs_.push_back(iohost::MonotonicUs());
      request.clear();
    }
  }

  Script script_;
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::uint64_t> requestUs_;
  std::vector<std::uint64_t> answerEndUs_;
};

// The reply of the eight-channel read with AI 0 = value and the other
// channels 0, without its carriage return.
inline std::string AnalogReply(double value) {
  char first[16];
  std::snprintf(first, sizeof first, "%+07.3f", value);
  std::string text = ">" + std::string(first);
  for (int channel = 1; channel < 8; ++channel) text += "+00.000";
  return text;
}

// What the host had made of an exchange once the next request arrived.
struct Seen {
  std::string connectState;
  std::string ai0;
};

class PeerHost {
 public:
  // busKeys: extra lines of the [[bus]] table. script: the peer's answers.
  PeerHost(const std::string& busKeys, Script script)
      : peer_([this, script](std::size_t n, const std::string& request) {
          Observe();
          return script(n, request);
        }) {
    if (!peer_.Start()) {
      ADD_FAILURE() << "no pseudo-terminal";
      return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    runtime_ = BuildRuntime("[[bus]]\nname = \"b\"\nport = \"" + peer_.SlavePath() +
                            "\"\nbaud = 115200\n" + busKeys +
                            "\n[[module]]\nname = \"m\"\nbus = \"b\"\ndriver = \"mx43110\"\naddress = 1\n"
                            "model = \"MX-43110\"\nparams = \"00,08,Continuous,100,1000\"\nflags = 1\n"
                            "  [[module.variable]]\n  name = \"AI 0\"\n  type = \"REAL\"\n"
                            "  [[module.variable]]\n  name = \"Connect State\"\n  type = \"UDINT\"\n");
    if (runtime_ == nullptr) return;
    threads_ = std::make_unique<iohost::BusThreads>(*runtime_, log_);
    threads_->Start();
  }
  ~PeerHost() { threads_.reset(); }  // joined before the runtime goes

  bool Ok() const { return threads_ != nullptr; }
  ScriptedPeer& Peer() { return peer_; }
  // What the host had made of exchanges 0 to count - 1; empty when the host
  // did not get that far within 10 s.
  std::vector<Seen> WaitForExchanges(std::size_t count) {
    const bool done = WaitFor([&] {
      std::lock_guard<std::mutex> lock(mutex_);
      return seen_.size() >= count;
    });
    std::lock_guard<std::mutex> lock(mutex_);
    return done ? std::vector<Seen>(seen_.begin(), seen_.begin() + static_cast<std::ptrdiff_t>(count))
                : std::vector<Seen>();
  }

 private:
  // Called by the peer as a request arrives: the previous exchange is done.
  void Observe() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (runtime_ == nullptr || !observedFirst_) {
      observedFirst_ = true;  // request 0: nothing exchanged before it
      return;
    }
    seen_.push_back({runtime_->Get("m", "Connect State").value_or("?"), runtime_->Get("m", "AI 0").value_or("?")});
  }

  std::mutex mutex_;
  std::unique_ptr<iohost::Runtime> runtime_;
  bool observedFirst_ = false;
  std::vector<Seen> seen_;
  ScriptedPeer peer_;
  iohost::EventLog log_{stdout, false, TraceFile()};
  std::unique_ptr<iohost::BusThreads> threads_;
};

}  // namespace iohosttest
