// The thermocouple, temperature and LED input drivers allocate nothing in a
// steady-state scan, with every optional command in place.
#include <gtest/gtest.h>

#include "drivers/common/steady_setups.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(ThermoSteadyState, ScansAllocateNothing) {
  for (const char* deliverable : {"mx43120", "mx43120h", "mx43120t", "mx43130", "mx2430"}) {
    drivertest::SteadyModule m(drivertest::SteadySetupOf(deliverable));
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*m.module, m.bus, 1000), 0U) << deliverable;
  }
}

}  // namespace
