// The command line of iohost.
//
//   iohost run STATION [options]   drive the station's buses
//   iohost check STATION           check the station file and its drivers, touch no port
//   iohost drivers                 list the plug-ins found (file, models, version)
//   iohost help
#pragma once

#include <string>
#include <vector>

namespace iohost {

struct Options {
  std::string command;                 // run | check | drivers | help
  std::string station;                 // run, check
  bool simulate = false;               // run the modules in the built-in simulator
  bool trace = false;                  // every exchange to standard output
  std::string traceFile;               // every exchange to this file
  bool json = false;                   // JSON lines on standard output
  bool lines = false;                  // plain lines even on a terminal
  unsigned long scans = 0;             // end after every module made this many scans (0: no limit)
  double durationS = 0;                // end after this many seconds (0: no limit)
  unsigned intervalMs = 0;             // display refresh (0: 500 ms table, 1000 ms otherwise)
  std::vector<std::string> sets;       // "MODULE VARIABLE VALUE", applied before the first scan
  std::vector<std::string> pluginDirs; // searched before RIO_PLUGIN_PATH and the build's plugins/
};

// False with a message for a malformed command line.
bool ParseOptions(int argc, char** argv, Options& options, std::string* error);

extern const char* const kUsage;

}  // namespace iohost
