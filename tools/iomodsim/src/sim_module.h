// One simulated module: the control requests every family answers (status
// reset, host watchdog, name, configuration read and write), power and
// silence, and the parts of its family, which answer everything else.
// Not thread-safe: the Bus serialises all calls.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "families.h"
#include "iomodsim/bus.h"
#include "part.h"

namespace sim {

class AnalogInputPart;
class DigitalInputBank;

class SimModule {
 public:
  using AddressFree = std::function<bool(unsigned address)>;
  static constexpr std::size_t kLogLength = 1000;

  SimModule(const FamilySpec& family, const ModelRow& model, unsigned address, const BusOptions& options,
            std::uint64_t now);
  ~SimModule();
  SimModule(const SimModule&) = delete;
  SimModule& operator=(const SimModule&) = delete;

  unsigned Address() const { return context_.address; }
  // The reply text (without checksum and carriage return) to a request for
  // this module: an answer, or a refusal "?AA".
  std::string Handle(const Request& request, std::uint64_t now, const AddressFree& addressFree);
  // "~**": the host is alive (feeds the host watchdog).
  void HostAlive(std::uint64_t now);
  void PowerCycle(std::uint64_t now, std::uint64_t silentMs);
  void SetSilent(bool silent) { silent_ = silent; }
  bool IsSilent(std::uint64_t now) const { return silent_ || now < silentUntil_; }
  ModuleSnapshot Snapshot(std::uint64_t now);
  const std::deque<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Pinned values are sampled at once: min/max and alarm latches see them.
  bool PinAnalogInput(unsigned channel, std::optional<double> value, std::uint64_t now);
  bool PinDigitalInput(unsigned channel, std::optional<bool> level, std::uint64_t now);

 private:
  void Advance(std::uint64_t now);
  std::optional<std::string> HandleControl(const Request& request, const AddressFree& addressFree);
  std::string HandleConfigurationWrite(const Request& request, const AddressFree& addressFree);
  void ForgetConfiguration();
  std::uint8_t ChecksumBit() const;

  const FamilySpec& family_;
  const ModelRow& model_;
  const std::uint8_t baudCode_;
  const bool checksum_;
  ModuleContext context_;
  bool watchdogEnabled_ = false;
  unsigned watchdogTenths_ = 0;
  std::uint64_t lastActivity_ = 0;
  bool silent_ = false;
  std::uint64_t silentUntil_ = 0;
  std::vector<std::unique_ptr<Part>> parts_;
  AnalogInputPart* analogInputs_ = nullptr;
  DigitalInputBank* digitalInputs_ = nullptr;
  std::deque<std::string> log_;
};

}  // namespace sim
