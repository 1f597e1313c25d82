#include "simulation.h"

#include "iomodsim/bus.h"
#include "iomodsim/pty_server.h"

namespace iohost {

std::string DeliverableOf(const std::string& driver) {
  std::string name = driver.substr(driver.find_last_of('/') == std::string::npos
                                       ? 0
                                       : driver.find_last_of('/') + 1);
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) name.resize(name.size() - 3);
  return name;
}

Simulation::Simulation() = default;

Simulation::~Simulation() { Stop(); }

bool Simulation::Start(const station::Station& station, std::string* error) {
  for (const station::Bus& bus : station.buses) {
    sim::BusOptions options;
    options.checksum = bus.checksum;
    options.baud = bus.baud;
    options.wireTiming = true;  // replies take the time they would take on the wire
    buses_.push_back(std::make_unique<sim::Bus>(options));
  }
  for (const station::Module& module : station.modules) {
    std::string problem;
    const sim::ModuleSpec spec{DeliverableOf(module.driver), module.address, module.model};
    if (!buses_.at(module.busIndex)->AddModule(spec, &problem)) {
      *error = "module \"" + module.name + "\" cannot be simulated: " + problem;
      return false;
    }
  }
  for (auto& bus : buses_) {
    servers_.push_back(std::make_unique<sim::PtyServer>(*bus));
    std::string problem;
    if (!servers_.back()->Start(&problem)) {
      *error = "simulator: " + problem;
      return false;
    }
  }
  return true;
}

std::string Simulation::PortOf(std::size_t bus) const { return servers_.at(bus)->SlavePath(); }

void Simulation::Stop() {
  for (auto& server : servers_) server->Stop();
  servers_.clear();
}

}  // namespace iohost
