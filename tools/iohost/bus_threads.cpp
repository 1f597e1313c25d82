#include "bus_threads.h"

#include <mutex>

namespace iohost {

BusThreads::BusThreads(Runtime& runtime, EventLog& log) : runtime_(runtime), log_(log) {}

BusThreads::~BusThreads() { Stop(); }

void BusThreads::Start() {
  stop_ = false;
  for (auto& bus : runtime_.Buses()) {
    if (bus->modules.empty()) continue;  // a bus nobody uses is not opened
    workers_.push_back(std::make_unique<BusWorker>(*bus, log_, stop_));
    threads_.emplace_back(&BusWorker::Run, workers_.back().get());
  }
}

void BusThreads::Stop() {
  stop_ = true;
  for (std::thread& thread : threads_) thread.join();
  threads_.clear();
  workers_.clear();
}

bool BusThreads::ScansDone(unsigned long scans) {
  for (auto& bus : runtime_.Buses()) {
    std::lock_guard<std::mutex> lock(bus->mutex);
    for (const RuntimeModule* module : bus->modules) {
      const ModuleCounters& c = module->counters;
      const bool onDemand = module->scanMode == 0 || c.onDemand;
      if (c.scans < (onDemand ? 1 : scans)) return false;
    }
  }
  return true;
}

}  // namespace iohost
