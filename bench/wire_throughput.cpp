// rio_wire_throughput [--csv FILE] [--seconds S] [--repeat N] [BAUD ...]
//
// Exchanges per second of the host's bus thread (iohost's BusThreads, as
// `iohost run` drives a bus) against the simulator (sim::Bus behind a
// PtyServer, over a real pseudo-terminal), next to what the wire allows.
//
// The station: one eight-input module (mx43110, data format 00, checksums
// on) scanned continuously, so every exchange is the read "#01" + checksum
// + CR (6 characters) answered by ">" + 8 x 7 characters + checksum + CR
// (60 characters). With wire timing the simulator holds every reply back by
// (request + reply characters) x 10 bits / baud, the time both frames take
// on an 8N1 line; the limit is one exchange per that time, and the ratio of
// measured to limit says how much of the wire the host leaves unused.
// Without wire timing the time per exchange is the turnaround of host,
// simulator and pseudo-terminal together.
//
// Beside the host, a bare loop (write the request, read to the carriage
// return; no plug-in, no host) makes the same exchanges: what the simulator
// and the pseudo-terminal allow any host.
//
// The simulator's reply delay is a sleep. Its thread runs with a timer slack
// of 1 ns, so the sleep lasts the wire time and not the wire time plus the
// kernel's default slack of 50 us; the host's threads keep the default.
//
// Each run lasts about --seconds (default 1.2) after the module is online,
// and is made --repeat times (default 3); the median run is reported.
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bus_threads.h"
#include "event_log.h"
#include "host/plugin_path.h"
#include "iomodsim/bus.h"
#include "iomodsim/pty_server.h"
#include "runtime.h"

namespace {

using Clock = std::chrono::steady_clock;

// Exchanges before the measured window: the host's offline pass (five
// control requests) and the first reads.
constexpr std::uint64_t kWarmUpExchanges = 10;
// Characters of one exchange on the wire: "#01" + 2 + CR, ">" + 56 + 2 + CR.
constexpr unsigned kRequestChars = 6;
constexpr unsigned kReplyChars = 60;
constexpr unsigned kBitsPerChar = 10;  // 8N1

enum class Client { Host, Bare };

struct Run {
  unsigned baud;
  bool wireTiming;
  Client client;
};

struct Result {
  Run run{};
  std::uint64_t exchanges = 0;
  std::uint64_t failures = 0;
  double seconds = 0;
  double cpuSeconds = 0;  // of client and simulator together
  std::string error;

  double PerSecond() const { return seconds > 0 ? exchanges / seconds : 0; }
  double LimitPerSecond() const { return run.baud / double(kBitsPerChar * (kRequestChars + kReplyChars)); }
  double Ratio() const { return PerSecond() / LimitPerSecond(); }
  double TurnaroundUs() const { return exchanges > 0 ? seconds * 1e6 / exchanges : 0; }
  double CpuUs() const { return exchanges > 0 ? cpuSeconds * 1e6 / exchanges : 0; }
};

// CPU time, unlike the wall clock, does not grow while another program
// holds the processor.
double CpuSeconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}
double ProcessCpuSeconds() { return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID); }
// The process without the calling thread: the host's bus thread and the
// simulator's thread, not the thread that samples them.
double OtherThreadsCpuSeconds() { return ProcessCpuSeconds() - CpuSeconds(CLOCK_THREAD_CPUTIME_ID); }

double ExchangeSeconds(const Run& run) {
  // Without wire timing an exchange takes well under a millisecond.
  return run.wireTiming ? double(kBitsPerChar * (kRequestChars + kReplyChars)) / run.baud : 1e-3;
}

// As many exchanges as the wire carries in the time asked for, at least a dozen.
std::uint64_t WindowOf(const Run& run, double seconds) {
  const auto target = static_cast<std::uint64_t>(seconds / ExchangeSeconds(run));
  return std::max<std::uint64_t>(target, 12);
}

// Room for a client three times slower than the wire, and for start-up.
Clock::duration Allowance(const Run& run, double seconds) {
  return std::chrono::duration_cast<Clock::duration>(
      std::chrono::duration<double>(3 * seconds + 3 * kWarmUpExchanges * ExchangeSeconds(run) + 3));
}

std::string StationText(unsigned baud) {
  std::string text = "[[bus]]\nname = \"bus1\"\nport = \"/dev/null\"\nchecksum = true\nbaud = " +
                     std::to_string(baud) +
                     "\n[[module]]\nname = \"inputs\"\nbus = \"bus1\"\ndriver = \"mx43110\"\n"
                     "address = 1\nmodel = \"MX-43110\"\nparams = \"00,08,Continuous,100,2\"\n";
  for (int n = 0; n < 8; ++n) {
    text += "[[module.variable]]\nname = \"AI " + std::to_string(n) + "\"\ntype = \"REAL\"\n";
  }
  return text;
}

// A simulated bus with the module, served on a pseudo-terminal whose server
// thread sleeps with a fine timer slack.
class SimulatedLine {
 public:
  explicit SimulatedLine(const Run& run) : bus_(Options(run)), server_(bus_) {}
  bool Start(std::string* error) {
    if (!bus_.AddModule({"mx43110", 1, "MX-43110"}, error)) return false;
    const int slack = prctl(PR_GET_TIMERSLACK);
    prctl(PR_SET_TIMERSLACK, 1UL);  // inherited by the server thread started now
    const bool started = server_.Start(error);
    prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(slack > 0 ? slack : 50000));
    return started;
  }
  std::string Path() const { return server_.SlavePath(); }

 private:
  static sim::BusOptions Options(const Run& run) {
    sim::BusOptions options;
    options.checksum = true;
    options.baud = run.baud;
    options.wireTiming = run.wireTiming;
    return options;
  }
  sim::Bus bus_;
  sim::PtyServer server_;
};

struct Sample {
  std::uint64_t exchanges = 0;
  std::uint64_t wireUs = 0;  // the host's own sum of the exchanges' wire time
  std::uint64_t failures = 0;
  Clock::time_point at;
  double cpu = 0;
};

Sample Take(iohost::Runtime& runtime) {
  iohost::RuntimeBus& bus = *runtime.Buses().front();
  std::lock_guard<std::mutex> lock(bus.mutex);
  Sample sample;
  sample.exchanges = bus.counters.exchanges;
  sample.wireUs = bus.counters.wireUs;
  sample.failures = runtime.Modules().front().counters.failures;
  sample.at = Clock::now();
  sample.cpu = OtherThreadsCpuSeconds();
  return sample;
}

// Polls until the bus has made `exchanges` exchanges or the deadline passed.
bool WaitForExchanges(iohost::Runtime& runtime, std::uint64_t exchanges, Clock::time_point deadline,
                      Sample& sample) {
  for (;;) {
    sample = Take(runtime);
    if (sample.exchanges >= exchanges) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
}

void MeasureHost(const std::string& port, double seconds, std::FILE* events, Result& result) {
  std::vector<station::Error> errors;
  const auto st = station::Parse(StationText(result.run.baud), "throughput.toml", errors);
  std::string failure;
  std::unique_ptr<iohost::Runtime> runtime;
  if (st) runtime = iohost::Runtime::Build(*st, host::PluginSearchPath({}), errors, &failure);
  if (runtime == nullptr) {
    result.error = errors.empty() ? failure : errors.front().message;
    return;
  }
  runtime->Buses().front()->portPath = port;
  iohost::EventLog log(events, false, nullptr);
  iohost::BusThreads threads(*runtime, log);
  threads.Start();
  const Clock::time_point deadline = Clock::now() + Allowance(result.run, seconds);
  Sample first;
  Sample last;
  if (!WaitForExchanges(*runtime, kWarmUpExchanges, deadline, first)) {
    result.error = "the module did not come online";
  } else if (result.run.wireTiming) {
    const std::uint64_t window = WindowOf(result.run, seconds);
    if (!WaitForExchanges(*runtime, first.exchanges + window, deadline, last)) {
      result.error = "too slow: " + std::to_string(last.exchanges - first.exchanges) + " of " +
                     std::to_string(window) + " exchanges in time";
    }
  } else {
    // No wire to wait for: a fixed time, as many exchanges as there are.
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    last = Take(*runtime);
  }
  threads.Stop();
  if (!result.error.empty()) return;
  result.exchanges = last.exchanges - first.exchanges;
  result.failures = last.failures - first.failures;
  result.seconds = std::chrono::duration<double>(last.at - first.at).count();
  result.cpuSeconds = last.cpu - first.cpu;
  // The limit assumes the characters above: check them against the host's count.
  const double chars = (last.wireUs - first.wireUs) * 1e-6 * result.run.baud / kBitsPerChar;
  const double perExchange = result.exchanges > 0 ? chars / static_cast<double>(result.exchanges) : 0;
  if (std::abs(perExchange - (kRequestChars + kReplyChars)) > 0.5) {
    result.error = "the host counted " + std::to_string(perExchange) + " characters per exchange";
  }
}

// One exchange of the bare loop; false when no reply came within a second.
bool BareExchange(int fd, const char* request) {
  tcflush(fd, TCIFLUSH);
  if (write(fd, request, kRequestChars) != static_cast<ssize_t>(kRequestChars)) return false;
  char reply[128];
  std::size_t got = 0;
  while (got == 0 || reply[got - 1] != '\r') {
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, 1000) <= 0) return false;
    const ssize_t n = read(fd, reply + got, sizeof reply - got);
    if (n > 0) got += static_cast<std::size_t>(n);
    if (got == sizeof reply) return false;
  }
  return got == kReplyChars;
}

void MeasureBare(const std::string& port, double seconds, Result& result) {
  const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios settings{};
  if (fd < 0 || tcgetattr(fd, &settings) != 0) {
    result.error = "cannot open " + port;
    if (fd >= 0) close(fd);
    return;
  }
  cfmakeraw(&settings);
  tcsetattr(fd, TCSANOW, &settings);
  char request[kRequestChars + 1];
  std::snprintf(request, sizeof request, "#01%02X\r", ('#' + '0' + '1') & 0xFF);
  for (std::uint64_t i = 0; i < kWarmUpExchanges; ++i) result.failures += BareExchange(fd, request) ? 0 : 1;
  // With wire timing a number of exchanges, as for the host; without, a
  // fixed time.
  const std::uint64_t window = result.run.wireTiming ? WindowOf(result.run, seconds) : UINT64_MAX;
  const Clock::time_point start = Clock::now();
  const double cpuStart = ProcessCpuSeconds();
  const Clock::time_point deadline =
      start + (result.run.wireTiming ? Allowance(result.run, seconds)
                                     : std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
  for (; result.exchanges < window && Clock::now() < deadline; ++result.exchanges) {
    result.failures += BareExchange(fd, request) ? 0 : 1;
  }
  if (result.exchanges < window && result.run.wireTiming) result.error = "too slow";
  result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  result.cpuSeconds = ProcessCpuSeconds() - cpuStart;
  close(fd);
}

Result Measure(const Run& run, double seconds, std::FILE* events) {
  Result result;
  result.run = run;
  SimulatedLine line(run);
  if (!line.Start(&result.error)) return result;
  if (run.client == Client::Host) {
    MeasureHost(line.Path(), seconds, events, result);
  } else {
    MeasureBare(line.Path(), seconds, result);
  }
  if (result.error.empty() && result.failures != 0) {
    result.error = std::to_string(result.failures) + " exchanges failed";
  }
  return result;
}

void Print(const Result& r, double lowest, double highest) {
  const char* client = r.run.client == Client::Host ? "host" : "bare";
  if (r.run.wireTiming) {
    std::printf("%8u  %s  wire  %6llu  %6.3f s  %9.1f /s  limit %9.1f /s  ratio %6.2f %% (%.2f to %.2f)  cpu %5.1f us",
                r.run.baud, client, static_cast<unsigned long long>(r.exchanges), r.seconds, r.PerSecond(),
                r.LimitPerSecond(), 100 * r.Ratio(), 100 * lowest, 100 * highest, r.CpuUs());
  } else {
    std::printf("%8s  %s  none  %6llu  %6.3f s  %9.1f /s  turnaround %6.1f us (%.1f to %.1f)  cpu %5.1f us", "-",
                client, static_cast<unsigned long long>(r.exchanges), r.seconds, r.PerSecond(), r.TurnaroundUs(),
                lowest, highest, r.CpuUs());
  }
  if (!r.error.empty()) std::printf("  FAILED: %s", r.error.c_str());
  std::printf("\n");
  std::fflush(stdout);
}

void WriteCsv(std::FILE* csv, const Result& r, double lowest, double highest) {
  std::fprintf(csv, "%s,%u,%d,%llu,%.6f,%.3f,%.3f,%.5f,%.5f,%.5f,%.2f,%.2f,%s\n",
               r.run.client == Client::Host ? "host" : "bare", r.run.baud, r.run.wireTiming ? 1 : 0,
               static_cast<unsigned long long>(r.exchanges), r.seconds, r.PerSecond(), r.LimitPerSecond(), r.Ratio(),
               r.run.wireTiming ? lowest : 0.0, r.run.wireTiming ? highest : 0.0, r.TurnaroundUs(), r.CpuUs(),
               r.error.empty() ? "ok" : "failed");
}

}  // namespace

int main(int argc, char** argv) {
  const char* csvPath = nullptr;
  double seconds = 1.2;
  int repeat = 3;
  std::vector<unsigned> rates;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--csv") == 0 && i + 1 < argc) {
      csvPath = argv[++i];
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
      repeat = std::atoi(argv[++i]);
    } else if (argv[i][0] != '-' && std::atoi(argv[i]) > 0) {
      rates.push_back(static_cast<unsigned>(std::atoi(argv[i])));
    } else {
      std::fprintf(stderr, "usage: %s [--csv FILE] [--seconds S] [--repeat N] [BAUD ...]\n", argv[0]);
      return 2;
    }
  }
  if (seconds <= 0 || seconds > 30 || repeat < 1 || repeat > 9) {
    std::fprintf(stderr, "--seconds: above 0, at most 30; --repeat: 1 to 9\n");
    return 2;
  }
  if (rates.empty()) rates = {9600, 19200, 57600, 115200, 230400, 460800, 921600};

  // The host's messages are no part of the figures (its port events go to
  // standard error).
  std::FILE* events = std::fopen("/dev/null", "w");
  std::FILE* csv = csvPath != nullptr ? std::fopen(csvPath, "w") : nullptr;
  if (events == nullptr || (csvPath != nullptr && csv == nullptr)) {
    std::perror("fopen");
    return 1;
  }
  if (csv != nullptr) {
    std::fprintf(csv, "client,baud,wire_timing,exchanges,seconds,exchanges_per_s,limit_per_s,ratio,ratio_low,"
                      "ratio_high,turnaround_us,cpu_us,result\n");
  }
  std::printf("mx43110 read: %u + %u characters per exchange, checksums on, 8N1; median of %d runs\n",
              kRequestChars, kReplyChars, repeat);
  std::vector<Run> runs;
  for (unsigned baud : rates) runs.push_back({baud, true, Client::Host});
  runs.push_back({115200, true, Client::Bare});
  runs.push_back({115200, false, Client::Host});
  runs.push_back({115200, false, Client::Bare});
  bool ok = true;
  for (const Run& run : runs) {
    std::vector<Result> results;
    for (int i = 0; i < repeat; ++i) results.push_back(Measure(run, seconds, events));
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.PerSecond() < b.PerSecond(); });
    const Result& median = results[results.size() / 2];
    const double lowest = run.wireTiming ? results.front().Ratio() : results.back().TurnaroundUs();
    const double highest = run.wireTiming ? results.back().Ratio() : results.front().TurnaroundUs();
    Print(median, lowest, highest);
    if (csv != nullptr) WriteCsv(csv, median, lowest, highest);
    for (const Result& r : results) ok = ok && r.error.empty();
  }
  if (csv != nullptr) std::fclose(csv);
  std::fclose(events);
  return ok ? 0 : 1;
}
