// The station file: which serial buses a host drives, and which modules with
// which variables sit on each bus. Read from TOML by station::Load; shared by
// the iohost program and the iomodsim simulator.
//
//   std::vector<station::Error> errors;
//   auto st = station::Load("examples/demo.toml", errors);
//   if (!st) for (auto& e : errors) std::cerr << path << ':' << e.line << ": " << e.message << '\n';
//
// Load checks everything that can be checked without a plug-in or a port:
// syntax, unknown keys, missing keys, names, ranges, field lengths, types and
// initial values. Whether a driver exists is the host's check (it knows the
// plug-in directory); it reports it with Module::line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace station {

struct Error {
  int line = 0;  // 1-based line in the station file; 0 = the file as a whole
  std::string message;
};

enum class Parity { kNone, kEven, kOdd };

// Limits of the fields of the I/O tree records the plug-ins read.
constexpr std::size_t kMaxParamsLength = 127;     // module and channel parameter strings
constexpr std::size_t kMaxModelLength = 31;       // model display name
constexpr std::size_t kMaxVariableNameLength = 35;
constexpr unsigned kMaxAddress = 255;             // two hexadecimal digits on the wire
constexpr unsigned kMaxWatchdog = 255;            // two hexadecimal digits on the wire

// Defaults of the optional bus keys.
constexpr unsigned kDefaultBaud = 9600;
constexpr unsigned kDefaultResponseTimeoutMs = 200;
constexpr unsigned kMaxTurnaroundMs = 1000;

struct Bus {
  int line = 0;
  std::string name;
  std::string port;                 // /dev/ttyUSB0, /dev/ttyS0, /dev/pts/3 ...
  unsigned baud = kDefaultBaud;
  Parity parity = Parity::kNone;
  unsigned dataBits = 8;            // 7 or 8
  unsigned stopBits = 1;            // 1 or 2
  unsigned timeoutMs = kDefaultResponseTimeoutMs;  // response timeout: request sent to reply complete
  unsigned charTimeoutMs = 0;       // inter-character timeout within a reply; 0 = none
  bool checksum = false;
  bool echo = false;                // two-wire adapter: every request comes back before the reply
  unsigned turnaroundMs = 0;        // pause between the end of a reply and the next request
};

struct Variable {
  int line = 0;
  std::string name;
  std::string typeName;             // as written in the file, upper case (REAL, DINT, ...)
  std::uint8_t typeCode = 0;        // variable database type code
  std::string params;               // channel parameter string
  std::optional<std::string> initial;  // initial value as text (validated against the type)
};

struct Module {
  int line = 0;
  std::string name;
  std::string bus;                  // name of a Bus
  std::size_t busIndex = 0;         // index into Station::buses
  std::string driver;               // deliverable name, or a path to a plug-in (contains '/')
  int driverLine = 0;               // line of the driver key, for the host's driver check
  unsigned address = 0;
  std::string model;                // model display name
  std::string params;               // module parameter string
  std::uint32_t flags = 0;          // Initialize flags (bit 0: start online)
  unsigned watchdog = 0;            // host watchdog timeout sent to the module; 0 = off
  std::vector<Variable> variables;
};

struct Station {
  std::string path;
  std::vector<Bus> buses;
  std::vector<Module> modules;

  const Module* FindModule(std::string_view name) const;
  const Variable* FindVariable(const Module& module, std::string_view name) const;
};

// Reads and checks a station file. On any error returns nullopt and appends
// every error found (not just the first) to errors, sorted by line.
std::optional<Station> Load(const std::string& path, std::vector<Error>& errors);

// The same from text; sourceName is only used as Station::path.
std::optional<Station> Parse(std::string_view text, const std::string& sourceName,
                             std::vector<Error>& errors);

// "FILE:LINE: message" (or "FILE: message" for line 0), as printed by the tools.
std::string Format(const std::string& path, const Error& error);

}  // namespace station
