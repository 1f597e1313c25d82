// The eight-channel input drivers allocate nothing in a steady-state scan.
#include <gtest/gtest.h>

#include "drivers/common/driver_fixture.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(Mx43110SteadyState, ScansAllocateNothing) {
  for (const char* deliverable : {"mx43110", "mx43110tk"}) {
    host::Plugin plugin(deliverable);
    host::HostTree tree(1, "MX-43110", "00,08,Continuous,100,2");
    for (const char* name : {"AI 0", "AI 1", "AI 2", "AI 3", "AI 4", "AI 5", "AI 6", "AI 7"}) {
      tree.AddVariable(name, host::kTypeFloat32);
    }
    tree.AddVariable("Connect State", host::kTypeUInt32);
    tree.AddVariable("Scan Time", host::kTypeUInt32);
    host::Responder bus(true);
    bus.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
    auto module = plugin.CreateModule();
    module->Initialize(tree.Db(), tree.ModuleNode(), drivertest::kStartOnline, 1);
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*module, bus, 1000), 0U) << deliverable;
  }
}

}  // namespace
