// The digital drivers allocate nothing in a steady-state scan, counters and
// writes included.
#include <gtest/gtest.h>

#include "drivers/common/steady_setups.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(DigitalSteadyState, ScansAllocateNothing) {
  for (const char* deliverable : {"mx43dio", "mx43di", "mx43do"}) {
    drivertest::SteadyModule m(drivertest::SteadySetupOf(deliverable));
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*m.module, m.bus, 1000), 0U) << deliverable;
  }
}

}  // namespace
