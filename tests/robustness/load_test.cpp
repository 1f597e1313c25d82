// Load: 256 modules on one simulated bus, 8 buses at once, the heap each
// module takes in the host, and a soak that the heap must not grow over
// (bounded here: RIO_SOAK_SECONDS for a long one, under valgrind's massif as
// docs/robustness.md shows). Leaks are LeakSanitizer's, in the sanitizer
// builds, at the end of every test.
#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "host/plugin_path.h"
#include "host_under_test.h"
#include "station/station.h"

namespace {

using namespace robustness;
using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kGlibcHeap = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kGlibcHeap = false;
#else
constexpr bool kGlibcHeap = true;
#endif
#else
constexpr bool kGlibcHeap = true;
#endif

// Bytes of the heap in use (glibc's allocator; the sanitizers have their own).
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Brings every module into service and then measures the steady polling.
void RunUnderLoad(const std::vector<std::vector<CampaignModule>>& buses, const char* what) {
  HostUnderTest host(buses, 50, false, 1);
  ASSERT_EQ(host.Failure(), "");
  std::mt19937 random(1);
  std::size_t modules = 0;
  for (std::size_t b = 0; b < buses.size(); ++b) {
    PinInputs(host.Bus(b), buses[b], random);
    modules += buses[b].size();
  }
  const Clock::time_point start = Clock::now();
  host.Start();
  const auto left = host.WaitForAgreement(120000);
  ASSERT_TRUE(left.empty()) << left.front();
  const double bringUp = Seconds(Clock::now() - start);
  const std::uint64_t exchangesBefore = host.Exchanges();
  std::uint64_t scansBefore = 0;
  for (auto& m : host.Runtime().Modules()) scansBefore += m.counters.scans;
  const Clock::time_point steady = Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double elapsed = Seconds(Clock::now() - steady);
  const std::uint64_t exchanges = host.Exchanges() - exchangesBefore;
  host.Stop();
  std::uint64_t scans = 0;
  for (auto& m : host.Runtime().Modules()) scans += m.counters.scans;
  scans -= scansBefore;
  std::printf("%s: %zu modules on %zu bus(es) in service and agreeing after %.1f s; then %.0f exchanges/s, "
              "every module scanned %.1f times/s\n",
              what, modules, buses.size(), bringUp, exchanges / elapsed, scans / elapsed / modules);
  EXPECT_GT(scans, modules) << "every module is polled";
}

TEST(Load, TwoHundredFiftySixModulesOnOneBus) { RunUnderLoad({ModulesInTurn(256, 0, "")}, "one bus"); }

TEST(Load, EightBusesAtOnce) {
  std::vector<std::vector<CampaignModule>> buses;
  for (int b = 0; b < 8; ++b) buses.push_back(ModulesInTurn(32, 1, "_bus" + std::to_string(b)));
  RunUnderLoad(buses, "eight buses");
}

// The runtime of a station alone: plug-ins, tree, Modules and their commands.
std::size_t RuntimeHeap(unsigned count) {
  const std::vector<CampaignModule> modules = ModulesInTurn(count, 0, "");
  std::vector<station::Error> errors;
  const auto st = station::Parse(StationText({{"bus0", "/dev/null"}}, {modules}), "load.toml", errors);
  if (!st) return 0;
  const std::size_t before = HeapInUse();
  std::string failure;
  auto runtime = iohost::Runtime::Build(*st, host::PluginSearchPath({}), errors, &failure);
  return runtime == nullptr ? 0 : HeapInUse() - before;
}

// The host's heap per module: runtimes of 256 and of 15 modules compared.
TEST(Load, HeapPerModule) {
  const std::size_t few = RuntimeHeap(15);
  const std::size_t many = RuntimeHeap(256);
  if (!kGlibcHeap || many == 0) GTEST_SKIP() << "heap figures come from glibc's allocator (not a sanitizer's or valgrind's)";
  ASSERT_GT(many, few);
  const double perModule = static_cast<double>(many - few) / (256 - 15);
  std::printf("heap: %.0f bytes per module in the host (runtime of 256 modules %zu bytes, of 15 %zu)\n", perModule,
              many, few);
  EXPECT_LT(perModule, 64.0 * 1024);
}

// The soak: 256 modules, a control program changing outputs and settings,
// a few faults on the line; the heap must be as large at the end as after
// the first second. Under valgrind (massif) the figures are massif's.
TEST(Load, SoakWithoutHeapGrowth) {
  const unsigned soakSeconds = EnvNumber("RIO_SOAK_SECONDS", 6);
  const std::vector<CampaignModule> modules = ModulesInTurn(256, 0, "");
  HostUnderTest host({modules}, 50, false, 1);
  ASSERT_EQ(host.Failure(), "");
  std::mt19937 random(1);
  PinInputs(host.Bus(0), modules, random);
  host.Start();
  ASSERT_TRUE(host.WaitForAgreement(600000).empty());
  host.Line(0).SetFaults({0.01, 0.01, 0, 0.01});
  std::size_t first = 0, highest = 0, last = 0;
  const std::uint64_t exchangesBefore = host.Exchanges();
  const Clock::time_point start = Clock::now();
  for (unsigned second = 0; Clock::now() - start < std::chrono::seconds(soakSeconds); ++second) {
    for (int i = 0; i < 50; ++i) {
      ChangeOneOutput(host.Runtime(), modules, random);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    host.Bus(0).ClearRequests();  // the simulator's request log is not the host's
    last = HeapInUse();
    if (second == 1) first = last;  // after a second of faults every path has allocated once
    if (second >= 1) highest = std::max(highest, last);
  }
  host.Line(0).SetFaults({});
  const auto left = host.WaitForAgreement(600000);
  EXPECT_TRUE(left.empty()) << left.front();
  host.Stop();
  std::printf("soak: %u s, %llu exchanges, heap %zu bytes after the first second, highest %zu, last %zu\n",
              soakSeconds, static_cast<unsigned long long>(host.Exchanges() - exchangesBefore), first, highest, last);
  if (kGlibcHeap && first != 0) {
    EXPECT_LE(last, first + 64 * 1024) << "the heap grew over the run";
  }
}

}  // namespace
