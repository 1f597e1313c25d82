// The mixed and alarm-input drivers allocate nothing in a steady-state scan.
#include <gtest/gtest.h>

#include <string>

#include "drivers/common/steady_state.h"
#include "drivers/mixed/mixed_fixture.h"

namespace {

TEST(MixedSteadyState, ScansAllocateNothing) {
  struct Case {
    const char* file;
    const char* model;
    const char* code;
    int inputs;
  };
  const Case cases[] = {{"mx43610", "MX-43610H", "43610H", 6}, {"mx43150", "MX-43150", "43150", 8},
                        {"mx2470", "N-2470", "2470", 8}};
  for (const Case& c : cases) {
    host::Plugin plugin(c.file);
    host::HostTree tree(1, c.model, "00,Continuous,100,3");
    for (int i = 0; i < c.inputs; ++i) {
      tree.AddVariable("AI " + std::to_string(i), host::kTypeFloat32, "08,M,+05.000,1,L,-05.000,0");
      tree.AddVariable("Clear High " + std::to_string(i), host::kTypeBool);
    }
    tree.AddVariable("AO 0", host::kTypeFloat32, "30,0,0,10,+02.000,+01.000");
    tree.AddVariable("DI 0", host::kTypeBool, "E");
    tree.AddVariable("DI Counter 0", host::kTypeUInt32);
    tree.AddVariable("DO 0", host::kTypeBool, "1,0");
    tree.AddVariable("DO 1", host::kTypeBool, "0,0,E");
    tree.AddVariable("Connect State", host::kTypeUInt32);
    host::Responder bus(true);
    drivertest::AnswerMixedModule(bus, c.code, c.inputs, 7);
    auto module = plugin.CreateModule();
    module->Initialize(tree.Db(), tree.ModuleNode(), drivertest::kStartOnline, 1);
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*module, bus, 1000), 0U) << c.file;
  }
}

}  // namespace
