#include "iomodsim/bus.h"

#include <algorithm>
#include <thread>

#include "fault_injector.h"
#include "families.h"
#include "iomodsim/wire_time.h"
#include "protocol.h"
#include "sim_module.h"

namespace sim {
namespace {

MillisecondClock SteadyClock() {
  auto start = std::chrono::steady_clock::now();
  return [start] {
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
  };
}

void SetError(std::string* error, std::string message) {
  if (error) *error = std::move(message);
}

}  // namespace

Bus::Bus(BusOptions options)
    : options_(options),
      clock_(SteadyClock()),
      faults_(std::make_unique<FaultInjector>(options.dropProbability, options.corruptProbability, options.seed)) {}

Bus::~Bus() = default;

std::uint64_t Bus::Now() const { return clock_(); }

SimModule* Bus::Find(unsigned address) {
  for (auto& module : modules_) {
    if (module->Address() == address) return module.get();
  }
  return nullptr;
}

bool Bus::AddModule(const ModuleSpec& spec, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const FamilySpec* family = FindFamily(spec.driver);
  if (!family) {
    SetError(error, "unknown driver \"" + spec.driver + "\"");
    return false;
  }
  const ModelRow* model = FindModel(*family, spec.model);
  if (!model) {
    SetError(error, "driver " + spec.driver + " has no model \"" + spec.model + "\"");
    return false;
  }
  if (spec.address > kMaxAddress) {
    SetError(error, "address " + std::to_string(spec.address) + " is above 255");
    return false;
  }
  if (Find(spec.address)) {
    SetError(error, "address " + std::to_string(spec.address) + " is already in use");
    return false;
  }
  modules_.push_back(std::make_unique<SimModule>(*family, *model, spec.address, options_, Now()));
  return true;
}

std::optional<std::string> Bus::Respond(const std::string& request) {
  std::chrono::microseconds delay{0};
  std::optional<std::string> reply;
  TraceFunction trace;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reply = Exchange(request, delay);
    trace = trace_;
  }
  if (reply && delay.count() > 0) std::this_thread::sleep_for(delay);
  if (trace) trace(request, reply);
  return reply;
}

std::optional<std::string> Bus::Exchange(const std::string& frame, std::chrono::microseconds& delay) {
  ++stats_.frames;
  Request request;
  switch (ParseFrame(frame, options_.checksum, request)) {
    case FrameError::kMalformed:
      ++stats_.malformed;
      return std::nullopt;
    case FrameError::kChecksum:
      ++stats_.checksumErrors;
      return std::nullopt;
    case FrameError::kNone:
      break;
  }
  std::uint64_t now = Now();
  RunScheduledCycles(now);
  if (request.broadcast) {
    for (auto& module : modules_) {
      if (!module->IsSilent(now)) module->HostAlive(now);
    }
    ++stats_.noModule;
    return std::nullopt;
  }
  SimModule* module = Find(request.address);
  if (!module) {
    ++stats_.noModule;
    return std::nullopt;
  }
  if (module->IsSilent(now)) {
    ++stats_.silent;
    return std::nullopt;
  }
  if (faults_->DropRequest()) {
    ++stats_.dropped;
    return std::nullopt;
  }
  std::string text = module->Handle(request, now, [this](unsigned address) { return Find(address) == nullptr; });
  std::string reply = FrameReply(text, options_.checksum);
  ++stats_.answered;
  if (text[0] == '?') ++stats_.refused;
  if (faults_->CorruptReply(reply)) ++stats_.corrupted;
  delay = std::chrono::milliseconds(options_.delayMs);
  if (options_.wireTiming) delay += WireTime(frame.size() + reply.size(), options_.baud);
  return reply;
}

void Bus::RunScheduledCycles(std::uint64_t now) {
  auto due = [now](const ScheduledCycle& cycle) { return cycle.at <= now; };
  for (const ScheduledCycle& cycle : scheduled_) {
    if (!due(cycle)) continue;
    if (SimModule* module = Find(cycle.address)) module->PowerCycle(cycle.at, cycle.silentMs);
  }
  scheduled_.erase(std::remove_if(scheduled_.begin(), scheduled_.end(), due), scheduled_.end());
}

void Bus::PowerCycle(unsigned address, unsigned silentMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (SimModule* module = Find(address)) module->PowerCycle(Now(), silentMs);
}

void Bus::SchedulePowerCycle(unsigned address, unsigned afterMs, unsigned silentMs) {
  std::lock_guard<std::mutex> lock(mutex_);
  scheduled_.push_back({address, Now() + afterMs, silentMs});
}

void Bus::SetSilent(unsigned address, bool silent) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (SimModule* module = Find(address)) module->SetSilent(silent);
}

std::optional<ModuleSnapshot> Bus::Snapshot(unsigned address) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::uint64_t now = Now();
  RunScheduledCycles(now);
  SimModule* module = Find(address);
  if (!module) return std::nullopt;
  return module->Snapshot(now);
}

std::optional<double> Bus::AnalogOutput(unsigned address, unsigned channel) {
  auto snapshot = Snapshot(address);
  if (!snapshot || channel >= snapshot->analogOutputs.size()) return std::nullopt;
  return snapshot->analogOutputs[channel].value;
}

std::optional<bool> Bus::DigitalOutput(unsigned address, unsigned channel) {
  auto snapshot = Snapshot(address);
  if (!snapshot || channel >= snapshot->digitalOutputs.size()) return std::nullopt;
  return static_cast<bool>(snapshot->digitalOutputs[channel]);
}

std::vector<std::string> Bus::Requests(unsigned address) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimModule* module = Find(address);
  if (!module) return {};
  return std::vector<std::string>(module->Log().begin(), module->Log().end());
}

void Bus::ClearRequests() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& module : modules_) module->ClearLog();
}

BusStatistics Bus::Statistics() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stats_;
}

bool Bus::PinAnalogInput(unsigned address, unsigned channel, std::optional<double> value) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimModule* module = Find(address);
  return module && module->PinAnalogInput(channel, value, Now());
}

bool Bus::PinDigitalInput(unsigned address, unsigned channel, std::optional<bool> value) {
  std::lock_guard<std::mutex> lock(mutex_);
  SimModule* module = Find(address);
  return module && module->PinDigitalInput(channel, value, Now());
}

void Bus::SetClock(MillisecondClock clock) {
  std::lock_guard<std::mutex> lock(mutex_);
  clock_ = clock ? std::move(clock) : SteadyClock();
}

void Bus::SetTrace(TraceFunction trace) {
  std::lock_guard<std::mutex> lock(mutex_);
  trace_ = std::move(trace);
}

}  // namespace sim
