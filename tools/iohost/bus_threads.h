// The bus threads of a running station: one BusWorker thread per bus.
#pragma once

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "bus_worker.h"
#include "event_log.h"
#include "runtime.h"

namespace iohost {

class BusThreads {
 public:
  BusThreads(Runtime& runtime, EventLog& log);
  ~BusThreads();  // Stop()
  BusThreads(const BusThreads&) = delete;
  BusThreads& operator=(const BusThreads&) = delete;

  void Start();
  // Asks every thread to end after its current exchange and joins them.
  void Stop();

  // True when every module has made `scans` scans. Modules that scan only on
  // demand count once they have made their first scan: on-call modules, and
  // modules whose scans in continuous mode wait for a changed output.
  bool ScansDone(unsigned long scans);

 private:
  Runtime& runtime_;
  EventLog& log_;
  std::atomic<bool> stop_{false};
  std::vector<std::unique_ptr<BusWorker>> workers_;
  std::vector<std::thread> threads_;
};

}  // namespace iohost
