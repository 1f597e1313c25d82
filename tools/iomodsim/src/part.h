// A module is its control requests plus a few parts, one per protocol block
// of its family (analog inputs, alarms, outputs, digital I/O...). Each part
// keeps its own state and answers its own requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "iomodsim/snapshot.h"
#include "protocol.h"

namespace sim {

class AnalogInputBank;

// What the parts of one module share.
struct ModuleContext {
  unsigned address = 0;
  std::uint64_t now = 0;       // milliseconds of the bus clock
  std::uint8_t typeCode = 0;   // TT of the configuration
  std::uint8_t formatByte = 0; // FF of the configuration; bits 0-1 are the data format
  bool safeState = false;      // the host watchdog expired: outputs hold their safe values
  unsigned digitalOutputCount = 0;
  // Digital outputs that enabled alarms drive (bit i = output i), and their levels.
  std::uint32_t alarmDrivenOutputs = 0, alarmOutputLevels = 0;
  const AnalogInputBank* inputs = nullptr;  // modules with analog inputs

  unsigned DataFormat() const { return formatByte & 3u; }
};

// Data formats of the analog values (bits 0-1 of FF).
constexpr unsigned kEngineeringUnits = 0;
constexpr unsigned kPercentOfRange = 1;
constexpr unsigned kHexadecimal = 2;

// Replies: "!AA" acknowledges, "?AA" refuses, ">" accepts without echo.
std::string Acknowledge(const ModuleContext& context);
std::string Refuse(const ModuleContext& context);
inline std::string Accept() { return ">"; }

class Part {
 public:
  virtual ~Part() = default;
  // The reply text (without checksum and carriage return) to a request that
  // belongs to this part, a refusal when such a request is malformed, or
  // nullopt when the request is not one of this part's.
  virtual std::optional<std::string> Handle(const Request& request, ModuleContext& context) = 0;
  // Time has moved on to context.now: sample inputs, count, evaluate alarms.
  virtual void Advance(ModuleContext& /*context*/) {}
  // Power returns: configuration written by the host is forgotten.
  virtual void PowerOn(ModuleContext& context) = 0;
  // The host watchdog expired.
  virtual void EnterSafeState(ModuleContext& /*context*/) {}
  virtual void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const = 0;
};

}  // namespace sim
