#include "host_under_test.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "host/plugin_path.h"
#include "station/station.h"

namespace robustness {

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* text = std::getenv(name);
  return text != nullptr && *text != '\0' ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

HostUnderTest::HostUnderTest(const std::vector<std::vector<CampaignModule>>& modules, unsigned timeoutMs,
                             bool checksum, std::uint32_t seed)
    : modules_(modules) {
  std::vector<BusLine> lines;
  for (std::size_t b = 0; b < modules.size(); ++b) {
    sim::BusOptions options;
    options.checksum = checksum;
    buses_.push_back(std::make_unique<sim::Bus>(options));
    for (const CampaignModule& m : modules[b]) {
      std::string error;
      if (!buses_.back()->AddModule({m.driver, m.address, m.model}, &error)) failure_ = m.name + ": " + error;
    }
    // A late reply comes well after the response timeout.
    lines_.push_back(std::make_unique<FaultyLine>(*buses_.back(), timeoutMs + 60, seed + static_cast<std::uint32_t>(b)));
    std::string error;
    if (!lines_.back()->Start(&error)) failure_ = error;
    lines.push_back({"bus" + std::to_string(b), lines_.back()->Path(), timeoutMs, checksum});
  }
  if (!failure_.empty()) return;
  std::vector<station::Error> errors;
  const auto st = station::Parse(StationText(lines, modules), "campaign.toml", errors);
  if (st) runtime_ = iohost::Runtime::Build(*st, host::PluginSearchPath({}), errors, &failure_);
  for (const station::Error& error : errors) failure_ += station::Format("campaign.toml", error) + "\n";
  if (runtime_ == nullptr && failure_.empty()) failure_ = "no runtime";
  if (runtime_ == nullptr) return;
  quiet_ = std::fopen("/dev/null", "w");
  // RIO_CAMPAIGN_TRACE=FILE writes every exchange there.
  const char* tracePath = std::getenv("RIO_CAMPAIGN_TRACE");
  trace_ = tracePath != nullptr && *tracePath != '\0' ? std::fopen(tracePath, "w") : nullptr;
  log_ = std::make_unique<iohost::EventLog>(quiet_, false, trace_, trace_ != nullptr ? trace_ : quiet_);
  threads_ = std::make_unique<iohost::BusThreads>(*runtime_, *log_);
}

HostUnderTest::~HostUnderTest() {
  Stop();
  for (auto& line : lines_) line->Stop();
  runtime_.reset();
  if (quiet_ != nullptr) std::fclose(quiet_);
  if (trace_ != nullptr) std::fclose(trace_);
}

void HostUnderTest::Start() {
  if (threads_) threads_->Start();
}

void HostUnderTest::Stop() {
  if (threads_) threads_->Stop();
}

std::vector<std::string> HostUnderTest::WaitForAgreement(unsigned timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    std::vector<std::string> left;
    for (std::size_t b = 0; b < buses_.size(); ++b) {
      const auto differences = Differences(*runtime_, *buses_[b], modules_[b]);
      left.insert(left.end(), differences.begin(), differences.end());
    }
    if (left.empty() || std::chrono::steady_clock::now() >= deadline) return left;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::uint32_t HostUnderTest::ConnectState(const std::string& module) {
  return static_cast<std::uint32_t>(std::strtoul(runtime_->Get(module, "Connect State").value_or("0").c_str(), nullptr, 10));
}

std::uint64_t HostUnderTest::Exchanges() {
  std::uint64_t total = 0;
  for (auto& bus : runtime_->Buses()) {
    std::lock_guard<std::mutex> lock(bus->mutex);
    total += bus->counters.exchanges;
  }
  return total;
}

std::uint64_t HostUnderTest::FailedExchanges() {
  std::uint64_t total = 0;
  for (iohost::RuntimeModule& m : runtime_->Modules()) {
    std::lock_guard<std::mutex> lock(runtime_->Buses()[m.busIndex]->mutex);
    total += m.counters.failures;
  }
  return total;
}

}  // namespace robustness
