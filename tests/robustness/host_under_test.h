// The host program's own pieces (runtime, bus threads) run against simulated
// modules behind FaultyLines, one line per bus, and the figures of a run.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bus_threads.h"
#include "campaign.h"
#include "event_log.h"
#include "faulty_line.h"
#include "iomodsim/bus.h"
#include "runtime.h"

namespace robustness {

// A number from the environment (long runs: RIO_CAMPAIGN_SECONDS=600 ...).
unsigned EnvNumber(const char* name, unsigned fallback);

class HostUnderTest {
 public:
  // One bus per entry of modules; each served by its own FaultyLine.
  HostUnderTest(const std::vector<std::vector<CampaignModule>>& modules, unsigned timeoutMs, bool checksum,
                std::uint32_t seed);
  ~HostUnderTest();

  // Empty when everything started; otherwise why not.
  const std::string& Failure() const { return failure_; }
  iohost::Runtime& Runtime() { return *runtime_; }
  sim::Bus& Bus(std::size_t b) { return *buses_[b]; }
  FaultyLine& Line(std::size_t b) { return *lines_[b]; }
  std::size_t BusCount() const { return buses_.size(); }
  const std::vector<CampaignModule>& Modules(std::size_t b) const { return modules_[b]; }

  void Start();
  void Stop();

  // Polls Differences on every bus every 20 ms until none is left or timeoutMs
  // passed; returns what is left.
  std::vector<std::string> WaitForAgreement(unsigned timeoutMs);
  // "Connect State" of a module (0 when unknown).
  std::uint32_t ConnectState(const std::string& module);

  std::uint64_t Exchanges();
  std::uint64_t FailedExchanges();

 private:
  std::vector<std::vector<CampaignModule>> modules_;
  std::vector<std::unique_ptr<sim::Bus>> buses_;
  std::vector<std::unique_ptr<FaultyLine>> lines_;
  std::FILE* quiet_ = nullptr;
  std::FILE* trace_ = nullptr;
  std::unique_ptr<iohost::EventLog> log_;
  std::unique_ptr<iohost::Runtime> runtime_;
  std::unique_ptr<iohost::BusThreads> threads_;
  std::string failure_;
};

}  // namespace robustness
