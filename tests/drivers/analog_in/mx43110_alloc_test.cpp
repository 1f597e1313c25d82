// The eight-channel input drivers allocate nothing in a steady-state scan.
#include <gtest/gtest.h>

#include "drivers/common/steady_setups.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(Mx43110SteadyState, ScansAllocateNothing) {
  for (const char* deliverable : {"mx43110", "mx43110tk"}) {
    drivertest::SteadyModule m(drivertest::SteadySetupOf(deliverable));
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*m.module, m.bus, 1000), 0U) << deliverable;
  }
}

}  // namespace
