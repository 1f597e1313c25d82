// The command line of the iomodsim program and how it turns a station's bus
// into a simulated Bus.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "iomodsim/bus.h"
#include "station/station.h"

namespace sim {

struct PowerCycleOption {
  unsigned address = 0, afterMs = 0, silentMs = 0;
};

struct CommandLine {
  std::string stationPath;
  bool pty = false;
  std::optional<std::string> port;     // --port PATH
  std::optional<std::string> busName;  // --bus NAME
  bool wireTiming = false;
  double dropProbability = 0, corruptProbability = 0;
  unsigned delayMs = 0;
  std::uint32_t seed = 1;
  std::vector<PowerCycleOption> powerCycles;
  bool trace = false;
};

std::string Usage();
// nullopt with a message in error for anything it does not understand.
std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error);

// One bus of the station, ready to simulate.
struct BusSetup {
  std::string name;
  std::string port;  // --port, or the station's port of the bus
  BusOptions options;
  std::vector<ModuleSpec> modules;
};

// The bus named by --bus (or the station's only bus) with its modules. A
// driver given as a plug-in path (.../mx43110.so) is taken by its file name.
std::optional<BusSetup> SelectBus(const station::Station& station, const CommandLine& command, std::string& error);

}  // namespace sim
