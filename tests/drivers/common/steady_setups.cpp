#include "drivers/common/steady_setups.h"

#include <optional>
#include <stdexcept>
#include <string>

#include "drivers/common/driver_fixture.h"
#include "drivers/mixed/mixed_fixture.h"

namespace drivertest {
namespace {

void AddStatusVariables(host::HostTree& tree) {
  tree.AddVariable("Connect State", host::kTypeUInt32);
  tree.AddVariable("Scan Time", host::kTypeUInt32);
}

// Eight inputs read with one request, in engineering units.
SteadySetup EightInputs(const char* deliverable, const char* model) {
  return {deliverable, model, "00,08,Continuous,100,2", true,
          [](host::HostTree& tree) {
            for (int i = 0; i < 8; ++i) tree.AddVariable("AI " + std::to_string(i), host::kTypeFloat32);
            AddStatusVariables(tree);
          },
          [](host::Responder& bus) { bus.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000"); }};
}

// Two outputs formatted and written at every scan.
SteadySetup TwoOutputs() {
  return {"mx43220", "MX-43220", "00,Periodic,0,0,100,2", true,
          [](host::HostTree& tree) {
            tree.Set<float>(tree.AddVariable("AO 0", host::kTypeFloat32, "3,0,0,10,5,2"), 1.25f);
            tree.Set<float>(tree.AddVariable("AO 1", host::kTypeFloat32, "3,0,0,10,5,2"), 12345.0f);
            AddStatusVariables(tree);
          },
          [](host::Responder& bus) {
            bus.On("#01001.250", "!01");
            bus.On("#01110.000", "!01");
          }};
}

// Eight outputs with limits wide enough that every value is formatted at
// full width, written at every call.
SteadySetup EightOutputs() {
  return {"mx43280", "MX-43280V", "00,On Call,100,2", false,
          [](host::HostTree& tree) {
            float value = -1e6f;
            for (int i = 0; i < 8; ++i) {
              tree.Set<float>(tree.AddVariable("AO " + std::to_string(i), host::kTypeFloat32, "0,0,-1e20,1e20,R,0"),
                              value);
              value /= -7.0f;
            }
          },
          [](host::Responder& bus) {
            bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
              if (request.rfind("#01", 0) == 0) return ">";
              return std::nullopt;
            });
          }};
}

// Every input with a counter, every output written (periodic mode makes the
// output groups write at every scan).
SteadySetup Digital(const char* deliverable, const char* model, const char* params) {
  return {deliverable, model, params, true,
          [](host::HostTree& tree) {
            for (int i = 0; i < 32; ++i) {
              const std::string n = std::to_string(i);
              tree.AddVariable("DI " + n, host::kTypeBool, "E");
              tree.AddVariable("DI Counter " + n, host::kTypeUInt32);
              tree.Set<bool>(tree.AddVariable("DO " + n, host::kTypeBool), i % 3 == 0);
            }
            AddStatusVariables(tree);
          },
          [](host::Responder& bus) {
            bus.On("@01", ">12345678");
            bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
              if (request.rfind("#01", 0) == 0) return std::string("!0100042");
              if (request.rfind("@01", 0) == 0) return std::string(">");
              return std::nullopt;
            });
          }};
}

// Alarm inputs with both alarms set and a clear variable each, an analog
// output, a digital input with its counter and a digital output that
// follows the module.
SteadySetup Mixed(const char* deliverable, const char* model, const char* code, int inputs) {
  return {deliverable, model, "00,Continuous,100,3", true,
          [inputs](host::HostTree& tree) {
            for (int i = 0; i < inputs; ++i) {
              tree.AddVariable("AI " + std::to_string(i), host::kTypeFloat32, "08,M,+05.000,1,L,-05.000,0");
              tree.AddVariable("Clear High " + std::to_string(i), host::kTypeBool);
            }
            tree.AddVariable("AO 0", host::kTypeFloat32, "30,0,0,10,+02.000,+01.000");
            tree.AddVariable("DI 0", host::kTypeBool, "E");
            tree.AddVariable("DI Counter 0", host::kTypeUInt32);
            tree.AddVariable("DO 0", host::kTypeBool, "1,0");
            tree.AddVariable("DO 1", host::kTypeBool, "0,0,E");
            tree.AddVariable("Connect State", host::kTypeUInt32);
          },
          [code, inputs](host::Responder& bus) { AnswerMixedModule(bus, code, inputs, 7); }};
}

// Thermocouple, temperature and LED inputs with every optional function on.
struct ThermoCase {
  const char* deliverable;
  const char* model;
  const char* params;
  int channels;
  const char* channelParams;
  bool temperature;       // CJC n and Temp n rather than Max n, Min n and Set CJC n
  const char* readReply;  // null: one +01.000 field per channel
};

SteadySetup Thermo(const ThermoCase& c) {
  return {c.deliverable, c.model, c.params, true,
          [c](host::HostTree& tree) {
            for (int n = 0; n < c.channels; ++n) {
              const std::string number = std::to_string(n);
              tree.AddVariable("AI " + number, host::kTypeFloat32, c.channelParams);
              if (c.temperature) {
                for (const char* real : {"CJC ", "Temp "}) tree.AddVariable(real + number, host::kTypeFloat32);
              } else {
                for (const char* real : {"Max ", "Min ", "Set CJC "}) tree.AddVariable(real + number, host::kTypeFloat32);
              }
              tree.AddVariable("Clear Max " + number, host::kTypeBool);
              tree.AddVariable("Clear Min " + number, host::kTypeBool);
            }
            tree.AddVariable("CJC", host::kTypeFloat32);
            tree.AddVariable("Set CJC", host::kTypeFloat32);
            tree.AddVariable("Enable CJC", host::kTypeBool);
            tree.AddVariable("LED Host Control", host::kTypeFloat32);
            AddStatusVariables(tree);
          },
          [c](host::Responder& bus) {
            std::string reads = ">";
            if (c.readReply != nullptr) {
              reads = c.readReply;
            } else {
              for (int n = 0; n < c.channels; ++n) reads += "+01.000";
            }
            bus.On("#01", reads);
            bus.On("@01RH", reads);
            bus.On("@01RL", reads);
            bus.On("$013", ">+025.30");
          }};
}

std::vector<SteadySetup> MakeSetups() {
  return {
      EightInputs("mx43110", "MX-43110"),
      EightInputs("mx43110tk", "MX-43110TK"),
      Thermo({"mx43120", "MX-43120", "00,08,Continuous,100,2", 8, "E,E", false, nullptr}),
      Thermo({"mx43120h", "MX-43120N", "00,Continuous,100,2", 10, "0E,E,E", false, nullptr}),
      Thermo({"mx43120t", "MX-43120T", "00,08,Continuous,100,2,E", 8, "E", false, nullptr}),
      Thermo({"mx43130", "MX-43130T", "00,Continuous,100,2", 8, "0E", true, nullptr}),
      Thermo({"mx2430", "N-2430Q", "00,08,2,Continuous,100,2", 1, "", false, ">+01.000"}),
      TwoOutputs(),
      EightOutputs(),
      Digital("mx43dio", "MX-43560", "Periodic,100,1000,0,3"),
      Digital("mx43di", "MX-43722", "Continuous,100,2"),
      Digital("mx43do", "MX-43824", "Periodic,100,1000,0,3"),
      Mixed("mx43610", "MX-43610H", "43610H", 6),
      Mixed("mx43150", "MX-43150", "43150", 8),
      Mixed("mx2470", "N-2470", "2470", 8),
  };
}

}  // namespace

const std::vector<SteadySetup>& SteadySetups() {
  static const std::vector<SteadySetup> setups = MakeSetups();
  return setups;
}

const SteadySetup& SteadySetupOf(const std::string& deliverable) {
  for (const SteadySetup& setup : SteadySetups()) {
    if (deliverable == setup.deliverable) return setup;
  }
  throw std::out_of_range("no steady-state setup for " + deliverable);
}

SteadyModule::SteadyModule(const SteadySetup& setup)
    : plugin(setup.deliverable), tree(1, setup.model, setup.moduleParams), bus(setup.checksum) {
  setup.addVariables(tree);
  setup.scriptModule(bus);
  module = plugin.CreateModule();
  if (module == nullptr ||
      module->Initialize(tree.Db(), tree.ModuleNode(), kStartOnline, setup.checksum ? 1 : 0) != 1) {
    throw std::runtime_error(std::string(setup.deliverable) + ": the module refused its steady-state setup");
  }
}

}  // namespace drivertest
