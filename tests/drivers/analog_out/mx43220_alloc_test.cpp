// mx43220 allocates nothing in a steady-state scan, with both outputs
// formatted and written in every scan.
#include <gtest/gtest.h>

#include "drivers/common/driver_fixture.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(Mx43220SteadyState, ScansAllocateNothing) {
  host::Plugin plugin("mx43220");
  host::HostTree tree(1, "MX-43220", "00,Periodic,0,0,100,2");
  tree.Set<float>(tree.AddVariable("AO 0", host::kTypeFloat32, "3,0,0,10,5,2"), 1.25f);
  tree.Set<float>(tree.AddVariable("AO 1", host::kTypeFloat32, "3,0,0,10,5,2"), 12345.0f);
  tree.AddVariable("Connect State", host::kTypeUInt32);
  tree.AddVariable("Scan Time", host::kTypeUInt32);
  host::Responder bus(true);
  bus.On("#01001.250", "!01");
  bus.On("#01110.000", "!01");
  auto module = plugin.CreateModule();
  module->Initialize(tree.Db(), tree.ModuleNode(), drivertest::kStartOnline, 1);
  EXPECT_EQ(drivertest::CountSteadyStateAllocations(*module, bus, 1000), 0U);
}

}  // namespace
