// The mixed and alarm-input drivers allocate nothing in a steady-state scan.
#include <gtest/gtest.h>

#include "drivers/common/steady_setups.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(MixedSteadyState, ScansAllocateNothing) {
  for (const char* deliverable : {"mx43610", "mx43150", "mx2470"}) {
    drivertest::SteadyModule m(drivertest::SteadySetupOf(deliverable));
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*m.module, m.bus, 1000), 0U) << deliverable;
  }
}

}  // namespace
