// rio_bench: the per-exchange cost of the command kinds and the cost of a
// whole steady-state scan of every deliverable. Google Benchmark's options
// apply (--benchmark_filter, --benchmark_out=FILE --benchmark_out_format=csv).
#include <benchmark/benchmark.h>

#include "bench_registry.h"

int main(int argc, char** argv) {
  bench::RegisterCommandBenchmarks();
  bench::RegisterScanBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
