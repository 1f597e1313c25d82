#include "app.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include "bus_threads.h"
#include "commands.h"
#include "display.h"
#include "host/plugin.h"
#include "host/plugin_path.h"
#include "options.h"
#include "runtime.h"
#include "simulation.h"

namespace iohost {
namespace {

enum Exit { kExitOk = 0, kExitFailure = 1, kExitStationErrors = 2 };

volatile std::sig_atomic_t gSignal = 0;
void OnSignal(int number) { gSignal = number; }

void PrintErrors(const std::string& path, const std::vector<station::Error>& errors) {
  for (const station::Error& error : errors) std::cerr << station::Format(path, error) << '\n';
}

// The station and its runtime, or an exit status.
std::unique_ptr<Runtime> Prepare(const Options& options, int* exitStatus) {
  std::vector<station::Error> errors;
  const auto st = station::Load(options.station, errors);
  std::string failure;
  std::unique_ptr<Runtime> runtime;
  if (st) runtime = Runtime::Build(*st, host::PluginSearchPath(options.pluginDirs), errors, &failure);
  if (!errors.empty()) {
    PrintErrors(options.station, errors);
    *exitStatus = kExitStationErrors;
  } else if (runtime == nullptr) {
    std::cerr << "iohost: " << failure << '\n';
    *exitStatus = kExitFailure;
  }
  return runtime;
}

int Drivers(const Options& options) {
  const auto files = host::ListPlugins(host::PluginSearchPath(options.pluginDirs));
  if (files.empty()) {
    std::cerr << "iohost: no plug-ins found (build them, or use --plugins DIR)\n";
    return kExitFailure;
  }
  std::printf("%-12s %-8s %-40s %s\n", "DRIVER", "VERSION", "MODELS", "FILE");
  for (const std::string& file : files) {
    const std::string driver = DeliverableOf(file);
    try {
      host::Plugin plugin(file);
      std::printf("%-12s %-8s %-40s %s\n", driver.c_str(), plugin.Version().c_str(),
                  plugin.Name().c_str(), file.c_str());
    } catch (const std::exception& error) {
      std::printf("%-12s %-8s not a driver plug-in: %s\n", driver.c_str(), "-", error.what());
    }
  }
  return kExitOk;
}

int Check(const Options& options) {
  int status = kExitOk;
  const auto runtime = Prepare(options, &status);
  if (runtime == nullptr) return status;
  std::size_t variables = 0;
  for (const auto& module : runtime->Modules()) variables += module.variables.size();
  std::printf("%s: %zu buses, %zu modules, %zu variables: no errors\n", options.station.c_str(),
              runtime->Station().buses.size(), runtime->Modules().size(), variables);
  return kExitOk;
}

// Reads commands from standard input until stop is set or input ends.
void ReadCommands(Runtime& runtime, Display& display, std::atomic<bool>& stop,
                  std::atomic<bool>& quit) {
  std::string pending;
  char buffer[512];
  while (!stop.load()) {
    pollfd entry{STDIN_FILENO, POLLIN, 0};
    if (poll(&entry, 1, 100) <= 0) continue;
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) return;  // end of input: keep running without commands
    pending.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      std::vector<std::string> words = SplitWords(pending.substr(0, end));
      pending.erase(0, end + 1);
      if (words.empty()) continue;
      const std::string verb = words.front();
      words.erase(words.begin());
      Assignment assignment;
      std::string message;
      if (verb == "quit" || verb == "exit") {
        quit = true;
        return;
      } else if (verb == "set" && ParseAssignment(words, assignment)) {
        runtime.Set(assignment.module, assignment.variable, assignment.value, &message);
      } else if (verb == "get" && words.size() >= 2) {
        std::string variable;
        for (std::size_t i = 1; i < words.size(); ++i) variable += (i > 1 ? " " : "") + words[i];
        const auto value = runtime.Get(words[0], variable);
        message = value ? words[0] + " " + variable + " = " + *value
                        : "no variable \"" + variable + "\" in module \"" + words[0] + "\"";
      } else {
        message = "commands: set MODULE VARIABLE VALUE | get MODULE VARIABLE | quit";
      }
      display.Note(message);
    }
  }
}

int Run(const Options& options) {
  int status = kExitOk;
  const auto runtime = Prepare(options, &status);
  if (runtime == nullptr) return status;
  for (const std::string& line : options.sets) {
    Assignment assignment;
    std::string message;
    std::vector<std::string> words = SplitWords(line);
    if (!words.empty() && words.front() == "set") words.erase(words.begin());
    if (!ParseAssignment(words, assignment)) {
      std::cerr << "iohost: --set \"" << line << "\": use --set \"MODULE VARIABLE VALUE\"\n";
      return kExitFailure;
    }
    if (!runtime->Set(assignment.module, assignment.variable, assignment.value, &message)) {
      std::cerr << "iohost: --set \"" << line << "\": " << message << '\n';
      return kExitFailure;
    }
  }
  Simulation simulation;
  if (options.simulate) {
    std::string error;
    if (!simulation.Start(runtime->Station(), &error)) {
      std::cerr << "iohost: " << error << '\n';
      return kExitFailure;
    }
    for (std::size_t b = 0; b < runtime->Buses().size(); ++b) {
      runtime->Buses()[b]->portPath = simulation.PortOf(b);
      runtime->Buses()[b]->echo = false;
    }
  }
  std::FILE* traceFile = nullptr;
  if (!options.traceFile.empty() && (traceFile = std::fopen(options.traceFile.c_str(), "w")) == nullptr) {
    std::cerr << "iohost: cannot write the trace file " << options.traceFile << '\n';
    return kExitFailure;
  }
  const bool terminal = isatty(STDOUT_FILENO) != 0;
  const DisplayMode mode = options.json ? DisplayMode::kJson
                           : (terminal && !options.lines && !options.trace) ? DisplayMode::kTable
                                                                              : DisplayMode::kLines;
  EventLog log(stdout, options.json, traceFile != nullptr ? traceFile : options.trace ? stdout : nullptr,
               mode == DisplayMode::kTable ? nullptr : stderr);
  const std::string title = options.station + (options.simulate ? "  (simulated modules)" : "");
  Display display(*runtime, mode, log, title);
  log.JsonLine("{\"event\":\"start\",\"station\":" + EventLog::JsonString(options.station) +
               ",\"simulated\":" + (options.simulate ? "true" : "false") + "}");

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  BusThreads threads(*runtime, log);
  threads.Start();
  std::atomic<bool> stopCommands{false};
  std::atomic<bool> quit{false};
  std::thread commands(ReadCommands, std::ref(*runtime), std::ref(display), std::ref(stopCommands),
                       std::ref(quit));

  const unsigned intervalMs = options.intervalMs != 0 ? options.intervalMs
                              : mode == DisplayMode::kTable ? 500 : 1000;
  const auto start = std::chrono::steady_clock::now();
  auto nextRefresh = start;
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    const double elapsed = std::chrono::duration<double>(now - start).count();
    const bool done = gSignal != 0 || quit.load() ||
                      (options.durationS > 0 && elapsed >= options.durationS) ||
                      (options.scans > 0 && threads.ScansDone(options.scans));
    if (done) break;
    if (now >= nextRefresh) {
      display.Refresh();
      nextRefresh = now + std::chrono::milliseconds(intervalMs);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  threads.Stop();
  stopCommands = true;
  commands.join();
  display.Refresh();  // the final state
  log.JsonLine("{\"event\":\"end\"}");
  simulation.Stop();
  if (traceFile != nullptr) std::fclose(traceFile);
  return kExitOk;
}

}  // namespace

int Main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseOptions(argc, argv, options, &error)) {
    std::cerr << "iohost: " << error << "\n" << kUsage;
    return kExitFailure;
  }
  if (options.command == "help") {
    std::cout << kUsage;
    return kExitOk;
  }
  if (options.command == "drivers") return Drivers(options);
  if (options.command == "check") return Check(options);
  return Run(options);
}

}  // namespace iohost
