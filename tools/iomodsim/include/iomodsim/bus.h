// iomodsim: simulated I/O modules on one serial multi-drop bus.
//
// A Bus holds the modules configured on one bus and answers request frames
// as those modules would. It is written from the wire protocol alone and
// shares no code with the driver plug-ins, so that it can be their
// independent peer in end-to-end tests.
//
//   sim::Bus bus({});                                   // checksum off, 9600 baud
//   bus.AddModule({"mx43110", 1, "MX-43110"}, &error);
//   bus.Respond("$01M\r");                              // "!0143110\r"
//
// Thread safety: every member function may be called from any thread at any
// time; the calls are serialised by one lock. Respond sleeps for the reply
// delay (wire timing, --delay) after releasing the lock.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "iomodsim/snapshot.h"

namespace sim {

struct ModuleSpec {
  std::string driver;   // deliverable name of the family: "mx43110", "mx43dio", "mx43610", ...
  unsigned address = 1;  // 0..255
  std::string model;    // model display name, e.g. "MX-43110" (letter case ignored); empty = the family's first model
};

struct BusOptions {
  bool checksum = false;
  unsigned baud = 9600;
  bool wireTiming = false;  // delay replies by (request + reply characters) x 10 bits / baud
  double dropProbability = 0, corruptProbability = 0;
  unsigned delayMs = 0;  // extra delay before every reply
  std::uint32_t seed = 1;
};

// Counts since the bus was created. Every frame handed to Respond is counted
// once in frames and once in exactly one of the other fields.
struct BusStatistics {
  std::uint64_t frames = 0;
  std::uint64_t answered = 0;     // a reply was returned (refusals and corrupted replies included)
  std::uint64_t refused = 0;      // of answered: the module refused the request ("?AA")
  std::uint64_t corrupted = 0;    // of answered: one character of the reply was altered
  std::uint64_t dropped = 0;      // lost on the wire by fault injection; the module never saw it
  std::uint64_t malformed = 0;    // no frame start, no carriage return, bad address digits
  std::uint64_t checksumErrors = 0;  // checksum on and the request's checksum missing or wrong
  std::uint64_t noModule = 0;     // no module at that address, or a broadcast (never answered)
  std::uint64_t silent = 0;       // the module was silent (SetSilent, power cycle)
};

// Milliseconds of a monotonic clock; the bus measures all time with it.
using MillisecondClock = std::function<std::uint64_t()>;

class SimModule;
class FaultInjector;

class Bus {
 public:
  explicit Bus(BusOptions options);
  ~Bus();
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;

  // False, with a message in *error (when given), for an unknown driver or
  // model, an address above 255 or one that is already in use.
  bool AddModule(const ModuleSpec& spec, std::string* error);

  // One request frame (with carriage return) in, the module's reply frame out
  // (with checksum when on and carriage return), or std::nullopt when no
  // module answers (unknown address, dropped, silent, bad checksum, frame
  // without carriage return...). Bytes before the frame start (# $ @ % ~)
  // are skipped as line noise.
  std::optional<std::string> Respond(const std::string& request);

  // The module loses power: silent for silentMs, then answers again with the
  // configuration written by the host forgotten (types, data format, alarm
  // settings, watchdog, offsets...). Outputs come back at their power-on
  // values; the stored power-on and safe values themselves are kept, as a
  // module keeps them in non-volatile memory. Unknown addresses are ignored.
  void PowerCycle(unsigned address, unsigned silentMs);
  // The same, started afterMs from now (used by the command line's --power-cycle).
  void SchedulePowerCycle(unsigned address, unsigned afterMs, unsigned silentMs);
  // A silent module answers nothing until it is made to speak again; its
  // state is kept (as with a broken cable). Its host watchdog still runs.
  void SetSilent(unsigned address, bool silent);

  // ---- Introspection for tests and for the host's end-to-end tests ----
  // Everything the module holds (nullopt for an unknown address).
  std::optional<ModuleSnapshot> Snapshot(unsigned address);
  // Shortcuts into the snapshot; nullopt for an unknown address or channel.
  std::optional<double> AnalogOutput(unsigned address, unsigned channel);
  std::optional<bool> DigitalOutput(unsigned address, unsigned channel);
  // The last requests the module received (up to 1000), oldest first, as
  // command text without checksum and carriage return (e.g. "$01M").
  std::vector<std::string> Requests(unsigned address);
  void ClearRequests();
  BusStatistics Statistics();

  // ---- Test controls ----
  // Holds an input at a value instead of its waveform; nullopt releases it.
  // False for an unknown address or channel.
  bool PinAnalogInput(unsigned address, unsigned channel, std::optional<double> value);
  bool PinDigitalInput(unsigned address, unsigned channel, std::optional<bool> value);
  // Replaces the clock (waveforms, counters, watchdog, silence); set it
  // before adding modules, since a module's time never runs backwards. The
  // default is std::chrono::steady_clock from the Bus's creation. Reply
  // delays still sleep in real time.
  void SetClock(MillisecondClock clock);
  // Called after every frame with the request and the reply (nullopt: none).
  using TraceFunction = std::function<void(const std::string& request, const std::optional<std::string>& reply)>;
  void SetTrace(TraceFunction trace);

  const BusOptions& Options() const { return options_; }

 private:
  struct ScheduledCycle {
    unsigned address;
    std::uint64_t at, silentMs;
  };
  SimModule* Find(unsigned address);
  std::uint64_t Now() const;
  void RunScheduledCycles(std::uint64_t now);
  std::optional<std::string> Exchange(const std::string& request, std::chrono::microseconds& delay);

  const BusOptions options_;
  mutable std::mutex mutex_;
  MillisecondClock clock_;
  std::vector<std::unique_ptr<SimModule>> modules_;
  std::unique_ptr<FaultInjector> faults_;
  std::vector<ScheduledCycle> scheduled_;
  BusStatistics stats_;
  TraceFunction trace_;
};

}  // namespace sim
