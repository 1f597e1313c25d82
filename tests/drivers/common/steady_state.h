// Counts the heap allocations a plug-in makes in steady-state scans.
//
// The scans are performed the way the runtime's real-time loop does them,
// with the queue emptied by clear() at the end of each scan, so the deque
// reuses its first node. Only calls into the plug-in are counted; the
// scripted module's own work (string lookups) is not.
#pragma once

#include <cstddef>

#include "host/abi.h"
#include "host/responder.h"

namespace drivertest {

// Runs warmUp scans, then counts the allocations of the next `scans` scans.
// Every scan must exchange and every exchange succeed (ADD_FAILURE
// otherwise): a steady state has no failures.
std::size_t CountSteadyStateAllocations(hostabi::Module& module, host::Responder& bus, int scans,
                                        int warmUp = 10);

}  // namespace drivertest
