// A station brought to life: the plug-ins loaded, the I/O tree and variable
// database built at the host's record layouts, one Module per configured
// module created and initialised. Everything here happens before any port is
// touched, so every fault of the station is reported first.
//
// Sharing between threads: each bus's thread owns its modules, commands and
// port. The only state shared with the display and command thread is the
// variable database values (and the per-module counters beside them): every
// read or write of them, and every call into a plug-in (which writes the
// variables during ParseReply), happens under the mutex of the module's bus.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "host/plugin.h"
#include "host/station_tree.h"
#include "station/station.h"

namespace iohost {

// Counters of one module, guarded by its bus's mutex.
struct ModuleCounters {
  bool hasStatus = false;         // an exchange has been reported
  std::uint32_t lastStatus = 0;   // what ReportResult got last ("Connect State")
  std::uint64_t scans = 0;
  std::uint64_t exchanges = 0;
  std::uint64_t failures = 0;     // exchanges with a non-zero status
  std::uint64_t lastScanUs = 0;   // start of the last scan (host clock)
  std::uint64_t intervalSumUs = 0;  // sum of the intervals between scan starts
  std::uint64_t intervals = 0;
  // Online in continuous mode, yet no scan was due: the module scans only
  // when something changes (a module with outputs and no inputs).
  bool onDemand = false;
};

// Counters of one bus, guarded by its mutex.
struct BusCounters {
  bool portOpen = false;
  const char* backend = "";      // "libserialport" or "termios" while open
  char portError[160] = {};      // why the port is closed ("" = never failed)
  std::uint64_t exchanges = 0;
  std::uint64_t wireUs = 0;      // wire time of all characters sent and received
};

struct RuntimeVariable {
  const station::Variable* config = nullptr;
  host::Var var;
};

struct RuntimeModule {
  const station::Module* config = nullptr;
  std::size_t busIndex = 0;
  host::ModulePtr module;
  std::uint32_t scanMode = 1;    // 0 on call, 1 continuous, 2 periodic (from the plug-in)
  std::vector<RuntimeVariable> variables;
  ModuleCounters counters;
};

struct RuntimeBus {
  const station::Bus* config = nullptr;
  std::string portPath;          // the configured port, or the simulator's pseudo-terminal
  bool echo = false;             // the configured echo; off with the simulator, which does not echo
  std::vector<RuntimeModule*> modules;  // in station order: polled in turn
  std::mutex mutex;
  BusCounters counters;
};

class Runtime {
 public:
  // Loads the drivers and builds everything. Station faults (unknown driver,
  // a model the driver does not serve) go to errors with their lines and give
  // null; so does a plug-in that returns no Module (message in *failure).
  static std::unique_ptr<Runtime> Build(const station::Station& station,
                                        const std::vector<std::string>& pluginSearchPath,
                                        std::vector<station::Error>& errors, std::string* failure);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  const station::Station& Station() const { return station_; }
  std::vector<std::unique_ptr<RuntimeBus>>& Buses() { return buses_; }
  std::vector<RuntimeModule>& Modules() { return modules_; }

  // Sets a variable from text (under the bus mutex). False with a message
  // for an unknown module or variable or a value that does not fit its type.
  bool Set(const std::string& module, const std::string& variable, const std::string& text,
           std::string* message);
  // A variable's value as text (under the bus mutex); nullopt when unknown.
  std::optional<std::string> Get(const std::string& module, const std::string& variable);

  RuntimeModule* FindModule(const std::string& name);
  static RuntimeVariable* FindVariable(RuntimeModule& module, const std::string& name);

 private:
  Runtime() = default;
  // Declaration order is destruction order reversed: Modules are destroyed
  // first (they point into the tree and run the plug-ins' code), then the
  // tree, then the plug-ins are unloaded.
  station::Station station_;
  std::vector<std::unique_ptr<host::Plugin>> plugins_;
  std::unique_ptr<host::StationTree> tree_;
  std::vector<RuntimeModule> modules_;
  std::vector<std::unique_ptr<RuntimeBus>> buses_;
};

}  // namespace iohost
