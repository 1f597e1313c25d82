// What a person sees while the host runs: per bus the port and its load, per
// module the connection state (the status "Connect State" shows), the scans,
// the failures, and the values of its variables.
//
//   table: redrawn in place on a terminal (ANSI cursor control);
//   lines: plain text, one line per module per refresh (pipes, logs, --trace);
//   json:  one {"event":"values", ...} object per refresh.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "event_log.h"
#include "runtime.h"

namespace iohost {

enum class DisplayMode { kTable, kLines, kJson };

// A consistent copy of one module's state, taken under its bus mutex.
struct ModuleView {
  const RuntimeModule* module = nullptr;
  ModuleCounters counters;
  std::vector<std::string> values;  // one per variable, in station order
};

struct BusView {
  const RuntimeBus* bus = nullptr;
  BusCounters counters;
};

class Display {
 public:
  Display(Runtime& runtime, DisplayMode mode, EventLog& log, std::string title);
  // Draws one refresh: the table, the lines, or a JSON object.
  void Refresh();
  // Shown under the table (table mode) or printed (other modes).
  void Note(const std::string& text);

 private:
  void Snapshot(std::vector<BusView>& buses, std::vector<ModuleView>& modules);
  std::vector<std::string> TableLines(const std::vector<BusView>& buses,
                                      const std::vector<ModuleView>& modules, double elapsed,
                                      std::size_t width);
  void PrintLines(const std::vector<ModuleView>& modules, double elapsed);
  void PrintJson(const std::vector<BusView>& buses, const std::vector<ModuleView>& modules,
                 double elapsed);
  // Mean interval between scans since the previous refresh (ms; < 0 = none).
  double MeanScanMs(std::size_t module, const ModuleCounters& now);

  Runtime& runtime_;
  DisplayMode mode_;
  EventLog& log_;
  std::string title_;
  std::mutex noteMutex_;
  std::string note_;
  std::atomic<bool> firstDraw_{true};  // set by the command thread (Note)
  std::uint64_t startUs_;
  std::vector<ModuleCounters> previous_;
  std::vector<BusCounters> previousBus_;
  std::uint64_t previousUs_ = 0;
};

// "continuous", "periodic", "on call".
const char* ScanModeText(std::uint32_t mode);

}  // namespace iohost
