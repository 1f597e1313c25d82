// rio_scan_instructions DELIVERABLE [SCANS]
// rio_scan_instructions --list        (the deliverables, one a line)
//
// Runs SCANS (default 1000) steady-state scans of one deliverable with
// precomputed replies, with callgrind's collection switched on around those
// scans only, so that
//   valgrind --tool=callgrind --collect-atstart=no rio_scan_instructions mx43110
// counts the instructions of the scans and nothing of loading, building or
// recording. Instructions per scan = the total / SCANS; the count repeats
// exactly from run to run, unlike a time. Outside valgrind the collection
// requests do nothing.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "drivers/common/steady_setups.h"
#include "precomputed_scan.h"

namespace {

// Scans before the counted ones: caches, lazy binding of the plug-in's
// symbols and the deque's first node are done by then.
constexpr int kWarmUpScans = 20;

int Run(const std::string& deliverable, long scans) {
  drivertest::SteadyModule m(drivertest::SteadySetupOf(deliverable));
  std::string error;
  const auto scan = bench::PrecomputedScan::Record(*m.module, m.bus, &error);
  if (!scan) {
    std::fprintf(stderr, "%s: %s\n", deliverable.c_str(), error.c_str());
    return 1;
  }
  unsigned long failures = 0;
  for (int i = 0; i < kWarmUpScans; ++i) failures += scan->Run(*m.module);
  CALLGRIND_TOGGLE_COLLECT;
  for (long i = 0; i < scans; ++i) failures += scan->Run(*m.module);
  CALLGRIND_TOGGLE_COLLECT;
  if (failures != 0) {
    std::fprintf(stderr, "%s: %lu exchanges were not accepted\n", deliverable.c_str(), failures);
    return 1;
  }
  std::printf("%s scans=%ld exchanges=%zu request_chars=%zu reply_chars=%zu\n", deliverable.c_str(), scans,
              scan->Exchanges(), scan->RequestCharacters(), scan->ReplyCharacters());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--list") {
    for (const drivertest::SteadySetup& setup : drivertest::SteadySetups()) std::printf("%s\n", setup.deliverable);
    return 0;
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s DELIVERABLE [SCANS]\n", argv[0]);
    return 2;
  }
  const long scans = argc == 3 ? std::strtol(argv[2], nullptr, 10) : 1000;
  if (scans <= 0) {
    std::fprintf(stderr, "SCANS must be a positive number\n");
    return 2;
  }
  try {
    return Run(argv[1], scans);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
