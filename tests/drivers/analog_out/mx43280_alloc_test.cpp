// mx43280 allocates nothing in a steady-state scan, with all eight outputs
// formatted and written in every scan.
#include <gtest/gtest.h>

#include "drivers/common/steady_setups.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(Mx43280SteadyState, ScansAllocateNothing) {
  drivertest::SteadyModule m(drivertest::SteadySetupOf("mx43280"));
  EXPECT_EQ(drivertest::CountSteadyStateAllocations(*m.module, m.bus, 1000), 0U);
}

}  // namespace
