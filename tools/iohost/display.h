// What a person sees while the host runs: per bus the port and its load, per
// module the connection state (the status "Connect State" shows), the scans,
// the failures, and the values of its variables.
//
//   table: redrawn in place on a terminal (ANSI cursor control), above the
//          terminal's last row, which is left to the line being typed;
//   lines: plain text, one line per module per refresh (pipes, logs, --trace);
//   json:  one {"event":"values", ...} object per refresh.
#pragma once

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

// The escape sequences that draw the table on a terminal of width x height.
// The last row belongs to the command being typed (the terminal echoes it
// there): it is never written, and the cursor is put back on it. The note
// takes the row above; the two form a scroll region of their own, so that
// Enter scrolls the typed line into the note row instead of scrolling the
// table away. The table is cut to the rows above the note. first: clear the
// screen and set the region up (first draw, or the terminal's size changed).
std::string TableScreen(const std::vector<std::string>& table, const std::string& note,
                        std::size_t width, std::size_t height, bool first);

class Display {
 public:
  Display(Runtime& runtime, DisplayMode mode, EventLog& log, std::string title);
  // Table mode: gives the terminal its whole screen back (the scroll region)
  // and leaves the cursor under the table.
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;
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
  // Terminal size at the last table draw (0: none yet); a new size starts afresh.
  std::size_t drawnWidth_ = 0;
  std::size_t drawnHeight_ = 0;
  std::uint64_t startUs_;
  std::vector<ModuleCounters> previous_;
  std::vector<BusCounters> previousBus_;
  std::uint64_t previousUs_ = 0;
};

// "continuous", "periodic", "on call".
const char* ScanModeText(std::uint32_t mode);

}  // namespace iohost
