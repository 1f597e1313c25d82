// The digital drivers allocate nothing in a steady-state scan, counters and
// writes included.
#include <gtest/gtest.h>

#include "drivers/common/steady_state.h"
#include "drivers/digital/digital_rig.h"

namespace {

using digitaltest::Rig;

TEST(DigitalSteadyState, ScansAllocateNothing) {
  struct Case {
    const char* file;
    const char* model;
    const char* code;
    const char* params;
  };
  // Periodic mode makes the output groups write at every scan.
  const Case cases[] = {
      {"mx43dio", "MX-43560", "43560", "Periodic,100,1000,0,3"},
      {"mx43di", "MX-43722", "43722", "Continuous,100,2"},
      {"mx43do", "MX-43824", "43824", "Periodic,100,1000,0,3"},
  };
  for (const Case& c : cases) {
    Rig rig(c.file, c.model, c.params);
    for (int i = 0; i < 32; ++i) {
      rig.Bool("DI " + std::to_string(i), "E");
      rig.tree.AddVariable("DI Counter " + std::to_string(i), host::kTypeUInt32);
      rig.Set(rig.Bool("DO " + std::to_string(i)), i % 3 == 0);
    }
    rig.tree.AddVariable("Connect State", host::kTypeUInt32);
    rig.tree.AddVariable("Scan Time", host::kTypeUInt32);
    rig.Start(c.code, drivertest::kStartOnline, true);
    rig.bus.On("@01", ">12345678");
    rig.bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
      if (request.rfind("#01", 0) == 0) return std::string("!0100042");
      if (request.rfind("@01", 0) == 0) return std::string(">");
      return std::nullopt;
    });
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*rig.module, rig.bus, 500), 0U) << c.file;
  }
}

}  // namespace
