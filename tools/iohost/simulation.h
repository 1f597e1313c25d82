// --simulate: every bus of the station is served by a simulated bus with the
// station's modules, behind a pseudo-terminal pair inside this process. The
// host opens the pseudo-terminal like any serial port and cannot tell it
// from real modules.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "station/station.h"

namespace sim {
class Bus;
class PtyServer;
}  // namespace sim

namespace iohost {

class Simulation {
 public:
  Simulation();
  ~Simulation();  // stops the servers
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  // One simulated bus per station bus, with its modules (the driver's
  // deliverable name selects the family; for a path, its file name without
  // ".so"). False with a message when a module cannot be simulated or a
  // pseudo-terminal cannot be opened.
  bool Start(const station::Station& station, std::string* error);
  // The pseudo-terminal of station bus i, to be opened by the host.
  std::string PortOf(std::size_t bus) const;
  sim::Bus& BusAt(std::size_t bus) { return *buses_.at(bus); }
  void Stop();

 private:
  std::vector<std::unique_ptr<sim::Bus>> buses_;
  std::vector<std::unique_ptr<sim::PtyServer>> servers_;
};

// "mx43110" for "mx43110", "plugins/mx43110.so" or "/x/mx43110.so".
std::string DeliverableOf(const std::string& driver);

}  // namespace iohost
