#include "options.h"

#include <cstdlib>
#include <cstring>

namespace iohost {

const char* const kUsage = R"(usage:
  iohost run STATION [options]   drive the station's buses and show the live table
  iohost check STATION           check the station file and its drivers (no port is opened)
  iohost drivers                 list the driver plug-ins found (file, models, version)

options of run:
  --simulate           serve every bus from the built-in module simulator (pseudo-terminals)
  --trace              print every exchange: time, bus, module, request, reply, status, duration
  --trace-file FILE    write the exchanges to FILE instead (the live table stays)
  --json               one JSON object per line and event on standard output
  --lines              plain lines instead of the table, even on a terminal
  --scans N            end when every module that is not on call has made N scans
  --duration S         end after S seconds
  --interval MS        refresh the display every MS milliseconds
  --set "MODULE VARIABLE VALUE"   set a variable before the first scan (repeatable)
  --plugins DIR        look for plug-ins in DIR first (repeatable; also RIO_PLUGIN_PATH)

While running, standard input takes:  set MODULE VARIABLE VALUE | get MODULE VARIABLE | quit
Exit status: 0 done, 2 errors in the station file, 1 other failures.
)";

namespace {

bool Number(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == '\0' && out >= 0;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options& options, std::string* error) {
  if (argc < 2) {
    *error = "no command";
    return false;
  }
  options.command = argv[1];
  if (options.command == "--help" || options.command == "-h") options.command = "help";
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* text = nullptr;
    double number = 0;
    if (arg == "--simulate") options.simulate = true;
    else if (arg == "--trace") options.trace = true;
    else if (arg == "--json") options.json = true;
    else if (arg == "--lines") options.lines = true;
    else if (arg == "--trace-file") {
      if (!value(&text)) return false;
      options.traceFile = text;
    } else if (arg == "--set") {
      if (!value(&text)) return false;
      options.sets.push_back(text);
    } else if (arg == "--plugins") {
      if (!value(&text)) return false;
      options.pluginDirs.push_back(text);
    } else if (arg == "--scans" || arg == "--duration" || arg == "--interval") {
      if (!value(&text)) return false;
      if (!Number(text, number) || (arg != "--duration" && number != static_cast<unsigned long>(number))) {
        *error = arg + " needs a number, not \"" + text + "\"";
        return false;
      }
      if (arg == "--scans") options.scans = static_cast<unsigned long>(number);
      else if (arg == "--duration") options.durationS = number;
      else options.intervalMs = static_cast<unsigned>(number);
    } else if (!arg.empty() && arg[0] == '-') {
      *error = "unknown option " + arg;
      return false;
    } else if (options.station.empty()) {
      options.station = arg;
    } else {
      *error = "unexpected argument " + arg;
      return false;
    }
  }
  const bool needsStation = options.command == "run" || options.command == "check";
  if (!needsStation && options.command != "drivers" && options.command != "help") {
    *error = "unknown command " + options.command;
    return false;
  }
  if (needsStation && options.station.empty()) {
    *error = options.command + " needs a station file";
    return false;
  }
  return true;
}

}  // namespace iohost
