// The thermocouple, temperature and LED input drivers allocate nothing in a
// steady-state scan, with every optional command in place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/common/driver_fixture.h"
#include "drivers/common/steady_state.h"

namespace {

struct Deliverable {
  const char* file;
  const char* model;
  const char* params;
  int channels;
  const char* channelParams;
  bool temperature;  // CJC n and Temp n rather than Max n, Min n and Set CJC n
  const char* readReply;
};

std::string Fields(int count, const char* field) {
  std::string reply = ">";
  for (int i = 0; i < count; ++i) reply += field;
  return reply;
}

TEST(ThermoSteadyState, ScansAllocateNothing) {
  const Deliverable deliverables[] = {
      {"mx43120", "MX-43120", "00,08,Continuous,100,2", 8, "E,E", false, nullptr},
      {"mx43120h", "MX-43120N", "00,Continuous,100,2", 10, "0E,E,E", false, nullptr},
      {"mx43120t", "MX-43120T", "00,08,Continuous,100,2,E", 8, "E", false, nullptr},
      {"mx43130", "MX-43130T", "00,Continuous,100,2", 8, "0E", true, nullptr},
      {"mx2430", "N-2430Q", "00,08,2,Continuous,100,2", 1, "", false, ">+01.000"},
  };
  for (const Deliverable& d : deliverables) {
    SCOPED_TRACE(d.file);
    host::Plugin plugin(d.file);
    host::HostTree tree(1, d.model, d.params);
    for (int n = 0; n < d.channels; ++n) {
      const std::string number = std::to_string(n);
      tree.AddVariable("AI " + number, host::kTypeFloat32, d.channelParams);
      const std::vector<const char*> reals =
          d.temperature ? std::vector<const char*>{"CJC ", "Temp "} : std::vector<const char*>{"Max ", "Min ", "Set CJC "};
      for (const char* real : reals) tree.AddVariable(real + number, host::kTypeFloat32);
      tree.AddVariable("Clear Max " + number, host::kTypeBool);
      tree.AddVariable("Clear Min " + number, host::kTypeBool);
    }
    tree.AddVariable("CJC", host::kTypeFloat32);
    tree.AddVariable("Set CJC", host::kTypeFloat32);
    tree.AddVariable("Enable CJC", host::kTypeBool);
    tree.AddVariable("LED Host Control", host::kTypeFloat32);
    tree.AddVariable("Connect State", host::kTypeUInt32);
    tree.AddVariable("Scan Time", host::kTypeUInt32);
    host::Responder bus(true);
    const std::string reads = d.readReply != nullptr ? d.readReply : Fields(d.channels, "+01.000");
    bus.On("#01", reads);
    bus.On("@01RH", reads);
    bus.On("@01RL", reads);
    bus.On("$013", ">+025.30");
    auto module = plugin.CreateModule();
    module->Initialize(tree.Db(), tree.ModuleNode(), drivertest::kStartOnline, 1);
    EXPECT_EQ(drivertest::CountSteadyStateAllocations(*module, bus, 1000), 0U);
  }
}

}  // namespace
