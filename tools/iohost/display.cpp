#include "display.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/value_text.h"
#include "host_codes.h"
#include "wire_time.h"

namespace iohost {
namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

struct TerminalSize {
  std::size_t width = 100;
  std::size_t height = 24;
};

TerminalSize TerminalSizeNow() {
  TerminalSize result;
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0) {
    if (size.ws_col >= 40) result.width = size.ws_col;
    if (size.ws_row != 0) result.height = size.ws_row;
  }
  return result;
}

void WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;  // the terminal is gone: nothing left to show
    done += static_cast<std::size_t>(n);
  }
}

// Cursor to row (counted from 1), column 1.
std::string MoveTo(std::size_t row) { return "\x1b[" + std::to_string(row) + ";1H"; }

// A value as it can stand in JSON: numbers as they are, anything else
// (nan, inf, text) quoted.
bool IsJsonNumber(const std::string& text) {
  if (text.empty()) return false;
  const std::size_t start = text[0] == '-' ? 1 : 0;
  return start < text.size() && text[start] >= '0' && text[start] <= '9' &&
         text.find_first_not_of("0123456789.eE+-") == std::string::npos;
}

std::string StateText(const ModuleCounters& c) {
  if (!c.hasStatus) return "-";
  return Format("%u %s", static_cast<unsigned>(c.lastStatus), StatusText(c.lastStatus));
}

}  // namespace

std::string TableScreen(const std::vector<std::string>& table, const std::string& note,
                        std::size_t width, std::size_t height, bool first) {
  height = std::max<std::size_t>(height, 4);
  const std::size_t noteRow = height - 1;
  const std::size_t tableRows = noteRow - 1;
  // Rows stop short of the last column: a character there would make some
  // terminals wrap at the next one.
  const std::size_t columns = width > 1 ? width - 1 : width;
  std::string screen = first ? "\x1b[2J\x1b[" + std::to_string(noteRow) + ";" + std::to_string(height) + "r"
                             : std::string("\x1b" "7");
  const bool cut = table.size() > tableRows;
  for (std::size_t row = 0; row < tableRows; ++row) {
    std::string text = row < table.size() ? table[row] : std::string();
    if (cut && row + 1 == tableRows) {
      text = "... " + std::to_string(table.size() - row) + " more lines: make the window taller";
    }
    screen += MoveTo(row + 1) + text.substr(0, columns) + "\x1b[K";
  }
  screen += MoveTo(noteRow) + (note.empty() ? std::string() : "> " + note).substr(0, columns) + "\x1b[K";
  screen += first ? MoveTo(height) : std::string("\x1b" "8");
  return screen;
}

const char* ScanModeText(std::uint32_t mode) {
  switch (mode) {
    case 0: return "on call";
    case 2: return "periodic";
    default: return "continuous";
  }
}

Display::Display(Runtime& runtime, DisplayMode mode, EventLog& log, std::string title)
    : runtime_(runtime), mode_(mode), log_(log), title_(std::move(title)), startUs_(MonotonicUs()) {
  previous_.resize(runtime.Modules().size());
  previousBus_.resize(runtime.Buses().size());
  previousUs_ = startUs_;
}

Display::~Display() {
  if (drawnHeight_ == 0) return;
  // The whole screen scrolls again; the shell continues on the last row.
  WriteAll(STDOUT_FILENO, "\x1b[r" + MoveTo(drawnHeight_) + "\x1b[K");
}

void Display::Note(const std::string& text) {
  if (mode_ == DisplayMode::kTable) {
    std::lock_guard<std::mutex> lock(noteMutex_);
    note_ = text;
  } else {
    log_.Message("note", text);
  }
}

void Display::Snapshot(std::vector<BusView>& buses, std::vector<ModuleView>& modules) {
  auto& all = runtime_.Modules();
  modules.resize(all.size());
  for (std::size_t b = 0; b < runtime_.Buses().size(); ++b) {
    RuntimeBus& bus = *runtime_.Buses()[b];
    std::lock_guard<std::mutex> lock(bus.mutex);
    buses.push_back({&bus, bus.counters});
    for (RuntimeModule* module : bus.modules) {
      ModuleView& view = modules[static_cast<std::size_t>(module - all.data())];
      view.module = module;
      view.counters = module->counters;
      for (const RuntimeVariable& var : module->variables) {
        view.values.push_back(var.var.data != nullptr
                                  ? host::FormatValue(var.config->typeCode, var.var.data)
                                  : "");
      }
    }
  }
}

double Display::MeanScanMs(std::size_t index, const ModuleCounters& now) {
  const ModuleCounters& before = previous_[index];
  const std::uint64_t intervals = now.intervals - before.intervals;
  if (intervals == 0) return -1;
  return static_cast<double>(now.intervalSumUs - before.intervalSumUs) / 1000.0 /
         static_cast<double>(intervals);
}

void Display::Refresh() {
  std::vector<BusView> buses;
  std::vector<ModuleView> modules;
  Snapshot(buses, modules);
  const std::uint64_t now = MonotonicUs();
  const double elapsed = static_cast<double>(now - startUs_) / 1e6;
  if (mode_ == DisplayMode::kTable) {
    const TerminalSize size = TerminalSizeNow();
    const bool first = size.width != drawnWidth_ || size.height != drawnHeight_;
    drawnWidth_ = size.width;
    drawnHeight_ = size.height;
    std::string note;
    {
      std::lock_guard<std::mutex> lock(noteMutex_);
      note = note_;
    }
    // In one write: the echo of a key typed meanwhile then comes before or
    // after the redraw rather than between its cursor moves.
    std::fflush(stdout);
    WriteAll(STDOUT_FILENO, TableScreen(TableLines(buses, modules, elapsed, size.width), note,
                                        size.width, size.height, first));
  } else if (mode_ == DisplayMode::kLines) {
    PrintLines(modules, elapsed);
  } else {
    PrintJson(buses, modules, elapsed);
  }
  for (std::size_t i = 0; i < modules.size(); ++i) previous_[i] = modules[i].counters;
  for (std::size_t i = 0; i < buses.size(); ++i) previousBus_[i] = buses[i].counters;
  previousUs_ = now;
}

std::vector<std::string> Display::TableLines(const std::vector<BusView>& buses,
                                             const std::vector<ModuleView>& modules,
                                             double elapsed, std::size_t width) {
  std::vector<std::string> lines;
  lines.push_back(Format("iohost  %s  %.1f s   type: set MODULE VARIABLE VALUE | quit",
                         title_.c_str(), elapsed));
  lines.emplace_back();
  lines.push_back(Format("%-10s %-26s %-10s %-24s %9s %6s", "BUS", "PORT", "LINE", "STATE",
                         "EXCH/s", "WIRE"));
  const double window = static_cast<double>(MonotonicUs() - previousUs_) / 1e6;
  for (std::size_t i = 0; i < buses.size(); ++i) {
    const BusCounters& c = buses[i].counters;
    char line[32];
    FormatLine(*buses[i].bus->config, line, sizeof line);
    const double rate = window > 0 ? static_cast<double>(c.exchanges - previousBus_[i].exchanges) / window : 0;
    const double busy = window > 0 ? static_cast<double>(c.wireUs - previousBus_[i].wireUs) / 1e4 / window : 0;
    const std::string state = c.portOpen ? std::string("open (") + c.backend + ")"
                                         : std::string("closed: ") + c.portError;
    lines.push_back(Format("%-10s %-26s %-10s %-24s %9.1f %5.0f%%", buses[i].bus->config->name.c_str(),
                           buses[i].bus->portPath.c_str(), line, state.c_str(), rate, busy));
  }
  lines.emplace_back();
  lines.push_back(Format("%-12s %-6s %4s %-10s %-11s %-17s %8s %8s %8s", "MODULE", "BUS", "ADDR",
                         "DRIVER", "MODE", "CONNECT STATE", "SCANS", "SCAN ms", "FAILED"));
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const ModuleView& view = modules[i];
    const station::Module& config = *view.module->config;
    const double scanMs = MeanScanMs(i, view.counters);
    lines.push_back(Format("%-12s %-6s %4u %-10s %-11s %-17s %8llu %8s %8llu", config.name.c_str(),
                           config.bus.c_str(), config.address, config.driver.c_str(),
                           ScanModeText(view.module->scanMode), StateText(view.counters).c_str(),
                           static_cast<unsigned long long>(view.counters.scans),
                           scanMs < 0 ? "-" : Format("%.1f", scanMs).c_str(),
                           static_cast<unsigned long long>(view.counters.failures)));
    std::string row = "    ";
    for (std::size_t v = 0; v < view.values.size(); ++v) {
      const std::string item = view.module->variables[v].config->name + " = " + view.values[v];
      if (row.size() > 4 && row.size() + item.size() + 3 > width) {
        lines.push_back(row);
        row = "    ";
      }
      row += (row.size() > 4 ? "   " : "") + item;
    }
    if (row.size() > 4) lines.push_back(row);
  }
  return lines;
}

void Display::PrintLines(const std::vector<ModuleView>& modules, double elapsed) {
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const ModuleView& view = modules[i];
    const double scanMs = MeanScanMs(i, view.counters);
    std::string line = Format("%.1f %s state=%s scans=%llu scan_ms=%s failed=%llu", elapsed,
                              view.module->config->name.c_str(), StateText(view.counters).c_str(),
                              static_cast<unsigned long long>(view.counters.scans),
                              scanMs < 0 ? "-" : Format("%.1f", scanMs).c_str(),
                              static_cast<unsigned long long>(view.counters.failures));
    for (std::size_t v = 0; v < view.values.size(); ++v) {
      line += " | " + view.module->variables[v].config->name + "=" + view.values[v];
    }
    log_.Message("values", line);
  }
}

void Display::PrintJson(const std::vector<BusView>& buses, const std::vector<ModuleView>& modules,
                        double elapsed) {
  std::string json = Format("{\"event\":\"values\",\"t\":%.3f,\"buses\":[", elapsed);
  for (std::size_t i = 0; i < buses.size(); ++i) {
    const BusCounters& c = buses[i].counters;
    json += Format("%s{\"name\":%s,\"port\":%s,\"open\":%s,\"exchanges\":%llu,\"error\":%s}",
                   i == 0 ? "" : ",", EventLog::JsonString(buses[i].bus->config->name).c_str(),
                   EventLog::JsonString(buses[i].bus->portPath).c_str(),
                   c.portOpen ? "true" : "false", static_cast<unsigned long long>(c.exchanges),
                   EventLog::JsonString(c.portError).c_str());
  }
  json += "],\"modules\":[";
  for (std::size_t i = 0; i < modules.size(); ++i) {
    const ModuleView& view = modules[i];
    const ModuleCounters& c = view.counters;
    const double scanMs = MeanScanMs(i, c);
    json += Format("%s{\"name\":%s,\"connect_state\":%s,\"state\":%s,\"scans\":%llu,"
                   "\"exchanges\":%llu,\"failed\":%llu,\"scan_ms\":%s,\"variables\":{",
                   i == 0 ? "" : ",", EventLog::JsonString(view.module->config->name).c_str(),
                   c.hasStatus ? std::to_string(c.lastStatus).c_str() : "null",
                   EventLog::JsonString(c.hasStatus ? StatusText(c.lastStatus) : "").c_str(),
                   static_cast<unsigned long long>(c.scans),
                   static_cast<unsigned long long>(c.exchanges),
                   static_cast<unsigned long long>(c.failures),
                   scanMs < 0 ? "null" : Format("%.3f", scanMs).c_str());
    for (std::size_t v = 0; v < view.values.size(); ++v) {
      const station::Variable& var = *view.module->variables[v].config;
      const bool numeric = var.typeCode != 5 && IsJsonNumber(view.values[v]);
      json += (v == 0 ? "" : ",") + EventLog::JsonString(var.name) + ":" +
              (numeric ? view.values[v] : EventLog::JsonString(view.values[v]));
    }
    json += "}}";
  }
  log_.JsonLine(json + "]}");
}

}  // namespace iohost
