// iomodsim: serves the simulated modules of one bus of a station file on a
// pseudo-terminal (--pty) or an existing device (--port), until SIGINT or
// SIGTERM. Exit status 0 after a signal, 1 for a station or serving error,
// 2 for a command line error.
#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <memory>

#include "cli_options.h"
#include "iomodsim/bus.h"
#include "iomodsim/pty_server.h"

namespace {

std::string Printable(const std::string& frame) {
  std::string text;
  for (char c : frame) text += c == '\r' ? std::string("\\r") : std::string(1, c);
  return text;
}

void PrintStatistics(const sim::BusStatistics& stats) {
  std::cerr << "iomodsim: " << stats.frames << " frames, " << stats.answered << " answered (" << stats.refused
            << " refused, " << stats.corrupted << " corrupted), " << stats.dropped << " dropped, "
            << stats.checksumErrors << " bad checksum, " << stats.malformed << " malformed, " << stats.noModule
            << " for no module, " << stats.silent << " to silent modules\n";
}

int Serve(const sim::CommandLine& command) {
  std::vector<station::Error> errors;
  auto station = station::Load(command.stationPath, errors);
  if (!station) {
    for (const station::Error& error : errors) std::cerr << station::Format(command.stationPath, error) << '\n';
    return 1;
  }
  std::string error;
  auto setup = sim::SelectBus(*station, command, error);
  if (!setup) {
    std::cerr << "iomodsim: " << command.stationPath << ": " << error << '\n';
    return 1;
  }
  sim::Bus bus(setup->options);
  for (const sim::ModuleSpec& module : setup->modules) {
    if (!bus.AddModule(module, &error)) {
      std::cerr << "iomodsim: bus " << setup->name << ", address " << module.address << ": " << error << '\n';
      return 1;
    }
  }
  for (const sim::PowerCycleOption& cycle : command.powerCycles) {
    bus.SchedulePowerCycle(cycle.address, cycle.afterMs, cycle.silentMs);
  }
  if (command.trace) {
    bus.SetTrace([](const std::string& request, const std::optional<std::string>& reply) {
      std::cerr << "iomodsim: " << Printable(request) << " -> " << (reply ? Printable(*reply) : "(no reply)") << '\n';
    });
  }

  // Block the signals before the serving thread starts, so that it inherits
  // the mask and only sigwait below receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  std::unique_ptr<sim::PtyServer> pty;
  std::unique_ptr<sim::DeviceServer> device;
  if (command.pty) {
    pty = std::make_unique<sim::PtyServer>(bus);
    if (!pty->Start(&error)) {
      std::cerr << "iomodsim: " << error << '\n';
      return 1;
    }
    std::cout << pty->SlavePath() << std::endl;
  } else {
    device = std::make_unique<sim::DeviceServer>(bus);
    if (!device->Start(setup->port, &error)) {
      std::cerr << "iomodsim: " << error << '\n';
      return 1;
    }
    std::cerr << "iomodsim: serving bus " << setup->name << " on " << setup->port << '\n';
  }
  int received = 0;
  sigwait(&signals, &received);
  pty.reset();
  device.reset();
  PrintStatistics(bus.Statistics());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto command = sim::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!command) {
    std::cerr << "iomodsim: " << error << '\n' << sim::Usage();
    return 2;
  }
  return Serve(*command);
}
