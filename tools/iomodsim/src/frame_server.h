// The serving loop behind PtyServer and DeviceServer: reads bytes from one
// file descriptor on its own thread, assembles request frames, answers each
// through Bus::Respond and writes the reply back.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace sim {

class Bus;

class FrameServer {
 public:
  explicit FrameServer(Bus& bus);
  ~FrameServer();  // Stop()
  FrameServer(const FrameServer&) = delete;
  FrameServer& operator=(const FrameServer&) = delete;

  // Takes ownership of fd (made non-blocking) and starts the thread.
  bool Start(int fd, std::string* error);
  // Wakes the thread, waits for it (at most the reply delay in progress) and closes the descriptor.
  void Stop();

 private:
  void Run();
  bool WriteAll(const std::string& bytes);

  Bus& bus_;
  int fd_ = -1;
  int wakeRead_ = -1, wakeWrite_ = -1;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

// "what: strerror(errno)" into *error (when given); returns false.
bool SystemError(std::string* error, const std::string& what);

}  // namespace sim
