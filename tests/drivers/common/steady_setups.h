// The steady-state configuration of every deliverable: a module node with
// the variables a station would give it, and a scripted module that answers
// every request of an online scan. The allocation tests and the benchmarks
// take their modules from here, so both measure the same scans.
//
//   drivertest::SteadyModule m(drivertest::SteadySetupOf("mx43110"));
//   runner.Scan(*m.module, m.bus);   // online from the start: no offline pass
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/host_tree.h"
#include "host/plugin.h"
#include "host/responder.h"

namespace drivertest {

struct SteadySetup {
  const char* deliverable;
  const char* model;         // one of the driver's own models
  const char* moduleParams;  // a scan mode in which every scan exchanges
  bool checksum;
  std::function<void(host::HostTree&)> addVariables;
  std::function<void(host::Responder&)> scriptModule;  // the bus has the checksum setting already
};

// Every deliverable, once.
const std::vector<SteadySetup>& SteadySetups();
// The setup of one deliverable; throws std::out_of_range for an unknown one.
const SteadySetup& SteadySetupOf(const std::string& deliverable);

// The module of a setup: plug-in loaded, tree built, module scripted, and the
// Module initialised online. Throws std::runtime_error when the plug-in does
// not load or refuses the configuration.
struct SteadyModule {
  explicit SteadyModule(const SteadySetup& setup);

  host::Plugin plugin;
  host::HostTree tree;
  host::Responder bus;
  host::ModulePtr module;
};

}  // namespace drivertest
