// What a simulated module holds at one moment, as Bus::Snapshot reports it:
// the configuration and settings the host wrote, the outputs as the module
// drives them, and the inputs it presents. Values are engineering units
// (volts, milliamperes, degrees) unless a field says otherwise.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

struct AlarmSnapshot {
  bool enabled = false;
  double limit = 0;
  char mode = 0;        // 'L' latches until cleared; any other mode follows the input
  char output = 0;      // digit of the digital output the alarm drives, or another character for none
  bool active = false;  // state at the last evaluation (latched alarms stay active until cleared)
};

struct AnalogInputSnapshot {
  std::string type;  // two hexadecimal digits: the channel's own type, or the module's type code
  double value = 0;  // what a read returns now
  std::optional<double> minimum, maximum;  // recorded since the last clear (modules with min/max)
  double cjcOffset = 0;           // degrees, set by the per-channel offset request
  double temperatureSetting = 0;  // degrees, set by the per-channel temperature request
  AlarmSnapshot high, low;
};

struct AnalogOutputSnapshot {
  std::string type;     // output type code as written ("32", "2", ...)
  char option = 0;      // option character written with the type
  double value = 0;     // the output as the module drives it
  std::string written;  // text of the last accepted write, empty after power-on
  double powerOnValue = 0, safeValue = 0;
  bool keepsLastValue = false;  // power-on mask bit: the output keeps its value over a power cycle
};

struct ModuleSnapshot {
  std::string driver, model, code;
  unsigned address = 0;
  // Configuration as the configuration read reports it (TT, CC, FF).
  std::uint8_t typeCode = 0, baudCode = 0, formatByte = 0;
  bool watchdogEnabled = false;
  unsigned watchdogTenths = 0;  // host watchdog timeout in 0.1 s
  bool safeState = false;       // the host watchdog expired; cleared by the status reset
  bool silent = false;          // not answering (SetSilent or power cycle)
  std::vector<AnalogInputSnapshot> analogInputs;
  std::vector<AnalogOutputSnapshot> analogOutputs;
  std::vector<bool> digitalInputs;
  std::vector<std::uint32_t> counters;  // one per digital input
  std::vector<bool> digitalOutputs;     // as driven, alarm-driven outputs included
  std::uint32_t powerOnPattern = 0, safePattern = 0;  // digital outputs, bit i = output i
  std::uint32_t powerOnMask = 0;  // analog outputs that keep their value over a power cycle
  bool cjcEnabled = false;
  double cjcTemperature = 0;   // what the cold-junction read returns now
  double moduleCjcOffset = 0;  // degrees, modules with one offset for all channels
  std::optional<char> ledMode;
  double ledValue = 0;
  std::map<std::string, std::vector<std::string>> coefficients;  // type code -> texts A, B, C
};

}  // namespace sim
