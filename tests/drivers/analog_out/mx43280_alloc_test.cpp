// mx43280 allocates nothing in a steady-state scan, with all eight outputs
// formatted and written in every scan.
#include <gtest/gtest.h>

#include <optional>

#include "drivers/common/driver_fixture.h"
#include "drivers/common/steady_state.h"

namespace {

TEST(Mx43280SteadyState, ScansAllocateNothing) {
  host::Plugin plugin("mx43280");
  host::HostTree tree(1, "MX-43280V", "00,On Call,100,2");
  const char* names[] = {"AO 0", "AO 1", "AO 2", "AO 3", "AO 4", "AO 5", "AO 6", "AO 7"};
  float value = -1e6f;
  for (const char* name : names) {
    tree.Set<float>(tree.AddVariable(name, host::kTypeFloat32, "0,0,-1e20,1e20,R,0"), value);
    value /= -7.0f;
  }
  host::Responder bus(false);
  bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    if (request.rfind("#01", 0) == 0) return ">";
    return std::nullopt;
  });
  auto module = plugin.CreateModule();
  module->Initialize(tree.Db(), tree.ModuleNode(), drivertest::kStartOnline, 0);
  EXPECT_EQ(drivertest::CountSteadyStateAllocations(*module, bus, 1000), 0U);
}

}  // namespace
