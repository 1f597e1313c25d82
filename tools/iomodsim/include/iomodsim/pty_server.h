// Serving a Bus on a serial line: the master side of a pseudo-terminal pair,
// or an existing device. Each server reads request bytes on its own thread,
// skips noise before a frame start, answers every complete frame (ended by a
// carriage return) through Bus::Respond and writes the reply back.
#pragma once

#include <memory>
#include <string>

namespace sim {

class Bus;
class FrameServer;

// Serves a Bus on the master side of a pseudo-terminal pair on its own thread.
class PtyServer {
 public:
  explicit PtyServer(Bus& bus);
  ~PtyServer();  // stops the thread, closes the pty
  PtyServer(const PtyServer&) = delete;
  PtyServer& operator=(const PtyServer&) = delete;

  bool Start(std::string* error);  // opens the pair (posix_openpt, raw mode), starts serving
  std::string SlavePath() const;   // e.g. /dev/pts/5: what a host opens as its serial port
  void Stop();

 private:
  Bus& bus_;
  std::unique_ptr<FrameServer> server_;
  int slave_ = -1;  // kept open so that the line settings stay and the master never sees a hang-up
  std::string slavePath_;
};

// Serves a Bus on an existing device (a serial port, one end of a pty pair
// made by another tool), opened in raw mode at the bus's baud rate.
class DeviceServer {
 public:
  explicit DeviceServer(Bus& bus);
  ~DeviceServer();
  DeviceServer(const DeviceServer&) = delete;
  DeviceServer& operator=(const DeviceServer&) = delete;

  bool Start(const std::string& path, std::string* error);
  void Stop();

 private:
  Bus& bus_;
  std::unique_ptr<FrameServer> server_;
};

}  // namespace sim
