#include "cli_options.h"

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace sim {
namespace {

std::optional<unsigned long> ParseUnsigned(const std::string& text, unsigned long maximum) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  errno = 0;
  unsigned long value = std::strtoul(text.c_str(), nullptr, 10);
  if (errno != 0 || value > maximum) return std::nullopt;
  return value;
}

std::optional<double> ParseProbability(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !(value >= 0 && value <= 1)) return std::nullopt;
  return value;
}

// ADDR:AFTER_MS:SILENT_MS
std::optional<PowerCycleOption> ParsePowerCycle(const std::string& text) {
  std::size_t first = text.find(':');
  std::size_t second = first == std::string::npos ? first : text.find(':', first + 1);
  if (second == std::string::npos) return std::nullopt;
  constexpr unsigned long kMaxMs = std::numeric_limits<unsigned>::max();
  auto address = ParseUnsigned(text.substr(0, first), 255);
  auto after = ParseUnsigned(text.substr(first + 1, second - first - 1), kMaxMs);
  auto silent = ParseUnsigned(text.substr(second + 1), kMaxMs);
  if (!address || !after || !silent) return std::nullopt;
  return PowerCycleOption{static_cast<unsigned>(*address), static_cast<unsigned>(*after),
                          static_cast<unsigned>(*silent)};
}

std::string DriverName(const std::string& driver) {
  std::string name = driver.substr(driver.find_last_of('/') + 1);
  const std::string suffix = ".so";
  if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    name.resize(name.size() - suffix.size());
  }
  return name;
}

}  // namespace

std::string Usage() {
  return "usage: iomodsim STATION.toml (--port PATH | --pty) [--bus NAME] [--wire-timing]\n"
         "                [--drop P] [--corrupt P] [--delay MS] [--seed N]\n"
         "                [--power-cycle ADDR:AFTER_MS:SILENT_MS]... [--trace]\n"
         "Simulates the modules of one bus of the station. --pty prints the path of the\n"
         "pseudo-terminal to open on its own line; both serve until SIGINT or SIGTERM.\n";
}

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& arguments, std::string& error) {
  CommandLine command;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= arguments.size()) return std::nullopt;
      return arguments[++i];
    };
    auto fail = [&](const std::string& message) -> std::optional<CommandLine> {
      error = message;
      return std::nullopt;
    };
    if (argument == "--pty") {
      command.pty = true;
    } else if (argument == "--wire-timing") {
      command.wireTiming = true;
    } else if (argument == "--trace") {
      command.trace = true;
    } else if (argument == "--port" || argument == "--bus") {
      auto text = value();
      if (!text || text->empty()) return fail(argument + " needs a value");
      (argument == "--port" ? command.port : command.busName) = *text;
    } else if (argument == "--drop" || argument == "--corrupt") {
      auto text = value();
      auto probability = text ? ParseProbability(*text) : std::nullopt;
      if (!probability) return fail(argument + " needs a probability from 0 to 1");
      (argument == "--drop" ? command.dropProbability : command.corruptProbability) = *probability;
    } else if (argument == "--delay") {
      auto text = value();
      auto ms = text ? ParseUnsigned(*text, 60000) : std::nullopt;
      if (!ms) return fail("--delay needs milliseconds from 0 to 60000");
      command.delayMs = static_cast<unsigned>(*ms);
    } else if (argument == "--seed") {
      auto text = value();
      auto seed = text ? ParseUnsigned(*text, std::numeric_limits<std::uint32_t>::max()) : std::nullopt;
      if (!seed) return fail("--seed needs a number from 0 to 4294967295");
      command.seed = static_cast<std::uint32_t>(*seed);
    } else if (argument == "--power-cycle") {
      auto text = value();
      auto cycle = text ? ParsePowerCycle(*text) : std::nullopt;
      if (!cycle) return fail("--power-cycle needs ADDR:AFTER_MS:SILENT_MS (address 0 to 255)");
      command.powerCycles.push_back(*cycle);
    } else if (!argument.empty() && argument[0] == '-') {
      return fail("unknown option " + argument);
    } else if (command.stationPath.empty()) {
      command.stationPath = argument;
    } else {
      return fail("more than one station file");
    }
  }
  if (command.stationPath.empty()) {
    error = "no station file";
    return std::nullopt;
  }
  if (command.pty && command.port) {
    error = "--port and --pty exclude each other";
    return std::nullopt;
  }
  return command;
}

std::optional<BusSetup> SelectBus(const station::Station& station, const CommandLine& command, std::string& error) {
  const station::Bus* bus = nullptr;
  if (command.busName) {
    for (const station::Bus& candidate : station.buses) {
      if (candidate.name == *command.busName) bus = &candidate;
    }
    if (!bus) error = "the station has no bus \"" + *command.busName + "\"";
  } else if (station.buses.size() == 1) {
    bus = &station.buses.front();
  } else {
    error = station.buses.empty() ? "the station has no bus" : "the station has several buses: choose one with --bus";
  }
  if (!bus) return std::nullopt;

  BusSetup setup;
  setup.name = bus->name;
  setup.port = command.port ? *command.port : bus->port;
  setup.options.checksum = bus->checksum;
  setup.options.baud = bus->baud;
  setup.options.wireTiming = command.wireTiming;
  setup.options.dropProbability = command.dropProbability;
  setup.options.corruptProbability = command.corruptProbability;
  setup.options.delayMs = command.delayMs;
  setup.options.seed = command.seed;
  for (const station::Module& module : station.modules) {
    if (module.bus != bus->name) continue;
    setup.modules.push_back({DriverName(module.driver), module.address, module.model});
  }
  return setup;
}

}  // namespace sim
