// A running host for end-to-end tests: the station's runtime with its bus
// threads, against simulated buses served on real pseudo-terminals. Waits are
// bounded polls of a condition (the peers' readiness), never fixed sleeps.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "bus_threads.h"
#include "event_log.h"
#include "host/plugin_path.h"
#include "iomodsim/bus.h"
#include "runtime.h"
#include "simulation.h"

namespace iohosttest {

// Polls condition every 5 ms until it holds or timeoutMs have passed.
inline bool WaitFor(const std::function<bool()>& condition, unsigned timeoutMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

inline std::unique_ptr<iohost::Runtime> BuildRuntime(const std::string& text) {
  std::vector<station::Error> errors;
  const auto st = station::Parse(text, "e2e.toml", errors);
  std::string failure;
  std::unique_ptr<iohost::Runtime> runtime;
  if (st) runtime = iohost::Runtime::Build(*st, host::PluginSearchPath({}), errors, &failure);
  for (const auto& e : errors) ADD_FAILURE() << station::Format("e2e.toml", e);
  if (runtime == nullptr && errors.empty()) ADD_FAILURE() << failure;
  return runtime;
}

// Set RIO_HOST_TRACE=1 to see every exchange on standard error.
inline std::FILE* TraceFile() {
  const char* trace = std::getenv("RIO_HOST_TRACE");
  return trace != nullptr && *trace != '\0' && *trace != '0' ? stderr : nullptr;
}

class RunningHost {
 public:
  // Builds the station and serves each of its buses from the simulator.
  explicit RunningHost(const std::string& stationText) : runtime_(BuildRuntime(stationText)) {
    if (runtime_ == nullptr) return;
    std::string error;
    if (!simulation_.Start(runtime_->Station(), &error)) {
      ADD_FAILURE() << error;
      runtime_.reset();
      return;
    }
    for (std::size_t b = 0; b < runtime_->Buses().size(); ++b) {
      runtime_->Buses()[b]->portPath = simulation_.PortOf(b);
    }
    threads_ = std::make_unique<iohost::BusThreads>(*runtime_, log_);
    threads_->Start();
  }
  ~RunningHost() {
    threads_.reset();  // joins the bus threads before the modules are destroyed
    simulation_.Stop();
  }

  bool Ok() const { return runtime_ != nullptr; }
  iohost::Runtime& Runtime() { return *runtime_; }
  sim::Bus& SimBus(std::size_t bus) { return simulation_.BusAt(bus); }

  std::string Get(const std::string& module, const std::string& variable) {
    return runtime_->Get(module, variable).value_or("<none>");
  }
  double Number(const std::string& module, const std::string& variable) {
    return std::atof(Get(module, variable).c_str());
  }
  void Set(const std::string& module, const std::string& variable, const std::string& value) {
    std::string message;
    EXPECT_TRUE(runtime_->Set(module, variable, value, &message)) << message;
  }

 private:
  iohost::Simulation simulation_;
  iohost::EventLog log_{stdout, false, TraceFile()};
  std::unique_ptr<iohost::Runtime> runtime_;
  std::unique_ptr<iohost::BusThreads> threads_;
};

}  // namespace iohosttest
