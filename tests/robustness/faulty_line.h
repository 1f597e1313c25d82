// A serial line with faults, between the host and simulated modules: the
// master side of a pseudo-terminal pair, served on its own thread. Every
// request frame goes to a sim::Bus; while faults are on, frames are lost
// before the modules hear them, replies have a byte changed, come later
// than the host's response timeout, or arrive between bursts of line noise.
// Faults are switched on and off at any time and counted, so that a test can
// stop them and then prove that nothing was lost.
//
// The modules themselves are the Bus's: its PowerCycle and SetSilent make a
// module forget its configuration or stay silent.
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>

namespace sim {
class Bus;
}

namespace robustness {

struct FaultRates {
  double drop = 0;     // the request is lost: the module never hears it
  double corrupt = 0;  // one byte of the reply (never its carriage return) changes
  double late = 0;     // the reply comes lateMs after the request, beyond the response timeout
  double noise = 0;    // noise bytes before and after the reply
};

struct LineFigures {
  std::uint64_t frames = 0;
  std::uint64_t dropped = 0;
  std::uint64_t corrupted = 0;
  std::uint64_t late = 0;
  std::uint64_t noisy = 0;
  // Requests per module address that bring a module into service (its
  // status reset opens every pass after the module was lost).
  std::map<unsigned, std::uint64_t> serviceStarts;
  std::uint64_t Faults() const { return dropped + corrupted + late + noisy; }
};

class FaultyLine {
 public:
  FaultyLine(sim::Bus& bus, unsigned lateMs, std::uint32_t seed);
  ~FaultyLine();  // Stop()
  FaultyLine(const FaultyLine&) = delete;
  FaultyLine& operator=(const FaultyLine&) = delete;

  bool Start(std::string* error);
  void Stop();
  // What the host opens as its serial port.
  const std::string& Path() const { return slavePath_; }

  void SetFaults(const FaultRates& rates);
  LineFigures Figures();

 private:
  void Run();
  void Serve(const std::string& frame);
  bool WriteAll(const std::string& bytes);
  std::string Noise();

  sim::Bus& bus_;
  const unsigned lateMs_;
  int master_ = -1;
  int slave_ = -1;  // kept open so that the line settings stay
  std::string slavePath_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
  std::mutex mutex_;  // rates_, figures_, random_
  FaultRates rates_;
  LineFigures figures_;
  std::mt19937 random_;
};

}  // namespace robustness
