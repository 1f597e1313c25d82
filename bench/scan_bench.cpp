// The cost of one whole steady-state scan of every deliverable, through the
// plug-in's exports and virtual tables as the runtime calls them, with the
// configuration of the allocation tests (tests/drivers/common/steady_setups).
#include <benchmark/benchmark.h>

#include <string>

#include "bench_registry.h"
#include "drivers/common/steady_setups.h"
#include "precomputed_scan.h"

namespace bench {
namespace {

void ScanBenchmark(benchmark::State& state, const drivertest::SteadySetup& setup) {
  drivertest::SteadyModule m(setup);
  std::string error;
  const auto scan = PrecomputedScan::Record(*m.module, m.bus, &error);
  if (!scan) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::uint64_t failures = 0;
  for (auto _ : state) failures += scan->Run(*m.module);
  if (failures != 0) state.SkipWithError("exchanges of the measured scans were not accepted");
  state.counters["exchanges"] = static_cast<double>(scan->Exchanges());
  state.counters["request_chars"] = static_cast<double>(scan->RequestCharacters());
  state.counters["reply_chars"] = static_cast<double>(scan->ReplyCharacters());
}

}  // namespace

void RegisterScanBenchmarks() {
  for (const drivertest::SteadySetup& setup : drivertest::SteadySetups()) {
    benchmark::RegisterBenchmark((std::string("scan/") + setup.deliverable).c_str(), ScanBenchmark, setup);
  }
}

}  // namespace bench
