// The host with every landed plug-in against the simulator, over real
// pseudo-terminals: inputs reach the variables, outputs and settings reach
// the simulated modules, a power-cycled module gets its configuration again,
// and a silent module shows its failure in "Connect State" and comes back.
//
// One row per deliverable. A new plug-in gets a row: its model, parameter
// strings, variables, what the test pins or sets, and what must arrive.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "host_fixture.h"
#include "iomodsim/snapshot.h"

namespace {

using iohosttest::RunningHost;
using iohosttest::WaitFor;

struct Deliverable {
  std::string driver;
  std::string model;
  std::string params;     // module parameter string; failure limit 1 so that a loss is quick
  std::string variables;  // [[module.variable]] entries besides "Connect State"
  // Pins the simulated inputs and sets the host's outputs and settings.
  std::function<void(sim::Bus&, unsigned address, RunningHost&, const std::string& module)> act;
  // True once everything has arrived (inputs in the host, outputs and settings in the module).
  std::function<bool(const sim::ModuleSnapshot&, RunningHost&, const std::string& module)> arrived;
};

std::string Var(const std::string& name, const std::string& type, const std::string& params = "",
                const std::string& initial = "") {
  std::string text = "  [[module.variable]]\n  name = \"" + name + "\"\n  type = \"" + type + "\"\n";
  if (!params.empty()) text += "  params = \"" + params + "\"\n";
  if (!initial.empty()) text += "  initial = " + initial + "\n";
  return text;
}

bool Near(double a, double b) { return std::fabs(a - b) < 1e-3; }

// What the simulated module holds, for the message of a failed check.
std::string Describe(const std::optional<sim::ModuleSnapshot>& s) {
  if (!s) return "no such module";
  std::ostringstream text;
  text << "type " << std::hex << unsigned{s->typeCode} << " format " << unsigned{s->formatByte} << std::dec
       << " cjc " << s->cjcEnabled << " offset " << s->moduleCjcOffset;
  for (std::size_t i = 0; i < s->analogInputs.size(); ++i) {
    const auto& in = s->analogInputs[i];
    text << " | AI" << i << " " << in.type << " " << in.value << " off " << in.cjcOffset << " temp "
         << in.temperatureSetting;
  }
  for (std::size_t i = 0; i < s->analogOutputs.size(); ++i) {
    const auto& out = s->analogOutputs[i];
    text << " | AO" << i << " " << out.type << " " << out.value << " on " << out.powerOnValue << " safe "
         << out.safeValue << " keeps " << out.keepsLastValue;
  }
  text << " | LED " << s->ledMode.value_or('-') << " " << s->ledValue;
  return text.str();
}

std::vector<Deliverable> Deliverables() {
  auto pinAnalog = [](sim::Bus& bus, unsigned address, unsigned channel, double value) {
    EXPECT_TRUE(bus.PinAnalogInput(address, channel, value)) << "address " << address;
  };
  std::vector<Deliverable> rows;
  for (const char* tk : {"", "tk"}) {
    rows.push_back({std::string("mx43110") + tk, std::string("MX-43110") + (*tk ? "TK" : ""),
                    "00,08,Continuous,100,1", Var("AI 0", "REAL") + Var("AI 7", "LREAL"),
                    [=](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) {
                      pinAnalog(bus, a, 0, 1.25);
                      pinAnalog(bus, a, 7, -3.5);
                    },
                    [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                      return s.typeCode == 0x08 && Near(host.Number(m, "AI 0"), 1.25) &&
                             Near(host.Number(m, "AI 7"), -3.5);
                    }});
  }
  // Thermocouples: module-wide type in the parameter string, CJC settings from variables.
  rows.push_back({"mx43120", "MX-43120", "00,0E,Continuous,100,1",
                  Var("AI 0", "REAL", "E,E") + Var("Set CJC 0", "REAL", "", "1.5") +
                      Var("Enable CJC", "BOOL", "", "false") + Var("Max 0", "REAL"),
                  [=](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) { pinAnalog(bus, a, 0, 25.5); },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return s.typeCode == 0x0E && !s.cjcEnabled && Near(s.analogInputs.at(0).cjcOffset, 1.5) &&
                           Near(host.Number(m, "AI 0"), 25.5) && host.Number(m, "Max 0") >= 25.5;
                  }});
  rows.push_back({"mx43120h", "MX-43120N", "00,Continuous,100,1",
                  Var("AI 9", "REAL", "0F,E") + Var("Set CJC 9", "REAL", "", "-0.5"),
                  [=](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) { pinAnalog(bus, a, 9, 30.5); },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return s.analogInputs.size() == 10 && s.analogInputs[9].type == "0F" &&
                           Near(s.analogInputs[9].cjcOffset, -0.5) && Near(host.Number(m, "AI 9"), 30.5);
                  }});
  rows.push_back({"mx43120t", "MX-43120T", "00,0E,Continuous,100,1,E",
                  Var("AI 3", "REAL") + Var("Set CJC", "REAL", "", "2.25") + Var("Enable CJC", "BOOL", "", "0"),
                  [=](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) { pinAnalog(bus, a, 3, -12.5); },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return !s.cjcEnabled && Near(s.moduleCjcOffset, 2.25) && Near(host.Number(m, "AI 3"), -12.5);
                  }});
  rows.push_back({"mx43130", "MX-43130T", "00,Continuous,100,1",
                  Var("AI 1", "REAL", "0E") + Var("CJC 1", "REAL", "", "0.7") + Var("Temp 1", "REAL", "", "2.5"),
                  [=](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) { pinAnalog(bus, a, 1, 99.5); },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return s.analogInputs.at(1).type == "0E" && Near(s.analogInputs[1].cjcOffset, 0.7) &&
                           Near(s.analogInputs[1].temperatureSetting, 2.5) && Near(host.Number(m, "AI 1"), 99.5);
                  }});
  rows.push_back({"mx2430", "N-2430Q", "00,08,2,Continuous,100,1",
                  Var("AI 0", "REAL") + Var("LED Host Control", "REAL"),
                  [=](sim::Bus& bus, unsigned a, RunningHost& host, const std::string& m) {
                    pinAnalog(bus, a, 0, 4.75);
                    host.Set(m, "LED Host Control", "12.5");
                  },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return s.ledMode == '2' && Near(s.ledValue, 12.5) && Near(host.Number(m, "AI 0"), 4.75);
                  }});
  // Analog outputs: type, limits, power-on and safe values from the channel
  // parameter string. Periodic mode: in continuous mode an output-only module
  // is polled only when an output changes, so a power cycle would go unseen.
  rows.push_back({"mx43220", "MX-43220", "00,Periodic,50,500,100,1", Var("AO 1", "REAL", "3,0,0,10,5,2"),
                  [](sim::Bus&, unsigned, RunningHost& host, const std::string& m) { host.Set(m, "AO 1", "3.25"); },
                  [](const sim::ModuleSnapshot& s, RunningHost&, const std::string&) {
                    const auto& out = s.analogOutputs.at(1);
                    return Near(out.value, 3.25) && Near(out.powerOnValue, 5) && Near(out.safeValue, 2);
                  }});
  rows.push_back({"mx43280", "MX-43280V", "00,Periodic,50,500,100,1", Var("AO 6", "REAL", "3,0,-10,10,R,2"),
                  [](sim::Bus&, unsigned, RunningHost& host, const std::string& m) { host.Set(m, "AO 6", "-20"); },
                  [](const sim::ModuleSnapshot& s, RunningHost&, const std::string&) {
                    // -20 is held at the low limit; "R": the output keeps its value at power-on.
                    const auto& out = s.analogOutputs.at(6);
                    return Near(out.value, -10) && out.keepsLastValue && Near(out.safeValue, 2);
                  }});
  // Digital: inputs with a counter, outputs with power-on and safe values.
  rows.push_back({"mx43dio", "MX-43550", "Continuous,100,1",
                  Var("DI 1", "BOOL", "E") + Var("DI Counter 1", "UDINT") + Var("DO 0", "BOOL", "1,0") +
                      Var("DO 2", "BOOL"),
                  [](sim::Bus& bus, unsigned a, RunningHost& host, const std::string& m) {
                    EXPECT_TRUE(bus.PinDigitalInput(a, 1, true));
                    host.Set(m, "DO 2", "1");
                  },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    return host.Get(m, "DI 1") == "1" && s.digitalOutputs.at(2) && (s.powerOnPattern & 1u) != 0;
                  }});
  rows.push_back({"mx43di", "MX-43716", "Continuous,100,1", Var("DI 3", "BOOL") + Var("DI 4", "USINT"),
                  [](sim::Bus& bus, unsigned a, RunningHost&, const std::string&) {
                    EXPECT_TRUE(bus.PinDigitalInput(a, 3, true));
                    EXPECT_TRUE(bus.PinDigitalInput(a, 4, false));
                  },
                  [](const sim::ModuleSnapshot&, RunningHost& host, const std::string& m) {
                    return host.Get(m, "DI 3") == "1" && host.Get(m, "DI 4") == "0";
                  }});
  rows.push_back({"mx43do", "MX-43816", "Continuous,100,1", Var("DO 5", "BOOL", "0,1") + Var("DO 6", "DINT"),
                  [](sim::Bus&, unsigned, RunningHost& host, const std::string& m) {
                    host.Set(m, "DO 5", "true");
                    host.Set(m, "DO 6", "7");
                  },
                  [](const sim::ModuleSnapshot& s, RunningHost&, const std::string&) {
                    return s.digitalOutputs.at(5) && s.digitalOutputs.at(6) && (s.safePattern & (1u << 5)) != 0;
                  }});
  // Alarm inputs: type and alarm settings from the channel parameter string.
  rows.push_back({"mx43610", "MX-43610H", "00,Continuous,100,1",
                  Var("AI 0", "REAL", "08,M,+05.000,1,D") + Var("AO 0", "REAL", "30,0,0,10,0,0") +
                      Var("DI 0", "BOOL") + Var("DO 0", "BOOL", "0,0"),
                  [=](sim::Bus& bus, unsigned a, RunningHost& host, const std::string& m) {
                    pinAnalog(bus, a, 0, 2.5);
                    EXPECT_TRUE(bus.PinDigitalInput(a, 0, true));
                    host.Set(m, "AO 0", "4.5");
                    host.Set(m, "DO 0", "1");  // DO 1 belongs to the high alarm
                  },
                  [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                    const auto& high = s.analogInputs.at(0).high;
                    return high.enabled && Near(high.limit, 5) && Near(s.analogOutputs.at(0).value, 4.5) &&
                           s.digitalOutputs.at(0) && Near(host.Number(m, "AI 0"), 2.5) && host.Get(m, "DI 0") == "1";
                  }});
  for (const char* alarm : {"mx43150", "mx2470"}) {
    const bool n = std::string(alarm) == "mx2470";
    rows.push_back({alarm, n ? "N-2470" : "MX-43150", "00,Continuous,100,1",
                    Var("AI 2", "REAL", "08,D,M,-02.000,2") + Var("DO 5", "BOOL", "0,0"),
                    [=](sim::Bus& bus, unsigned a, RunningHost& host, const std::string& m) {
                      pinAnalog(bus, a, 2, -1.5);
                      host.Set(m, "DO 5", "1");
                    },
                    [](const sim::ModuleSnapshot& s, RunningHost& host, const std::string& m) {
                      const auto& low = s.analogInputs.at(2).low;
                      return low.enabled && Near(low.limit, -2) && s.digitalOutputs.at(5) &&
                             Near(host.Number(m, "AI 2"), -1.5);
                    }});
  }
  return rows;
}

// Every deliverable as a module of one station, spread over three buses (one
// thread each), so the checks of all of them run at the same time.
constexpr std::size_t kBuses = 3;

std::string StationText(const std::vector<Deliverable>& rows) {
  std::string text;
  for (std::size_t b = 0; b < kBuses; ++b) {
    text += "[[bus]]\nname = \"bus" + std::to_string(b) + "\"\nport = \"unused\"\nbaud = 115200\n"
            "timeout_ms = 100\nchecksum = " + (b == 1 ? "true" : "false") + "\n\n";
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    text += "[[module]]\nname = \"" + rows[i].driver + "\"\nbus = \"bus" + std::to_string(i % kBuses) +
            "\"\ndriver = \"" + rows[i].driver + "\"\naddress = " + std::to_string(10 + i) +
            "\nmodel = \"" + rows[i].model + "\"\nparams = \"" + rows[i].params + "\"\n" +
            rows[i].variables + Var("Connect State", "UDINT") + "\n";
  }
  return text;
}

class EveryDeliverable : public ::testing::Test {
 protected:
  void SetUp() override {
    rows_ = Deliverables();
    host_ = std::make_unique<RunningHost>(StationText(rows_));
    ASSERT_TRUE(host_->Ok());
  }
  unsigned Address(std::size_t i) const { return static_cast<unsigned>(10 + i); }
  sim::Bus& SimBus(std::size_t i) { return host_->SimBus(i % kBuses); }
  bool Arrived(std::size_t i) {
    const auto snapshot = SimBus(i).Snapshot(Address(i));
    return snapshot && rows_[i].arrived(*snapshot, *host_, rows_[i].driver);
  }
  std::string ConnectState(std::size_t i) { return host_->Get(rows_[i].driver, "Connect State"); }
  // Waits for condition(i) of every row; reports the rows that never got there.
  void ExpectAll(const std::function<bool(std::size_t)>& condition, const char* what) {
    std::vector<bool> done(rows_.size(), false);
    WaitFor([&] {
      bool all = true;
      for (std::size_t i = 0; i < rows_.size(); ++i) all &= (done[i] = done[i] || condition(i));
      return all;
    });
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      EXPECT_TRUE(done[i]) << rows_[i].driver << ": " << what << " (Connect State "
                           << ConnectState(i) << ")\nmodule: " << Describe(SimBus(i).Snapshot(Address(i)));
    }
  }

  std::vector<Deliverable> rows_;
  std::unique_ptr<RunningHost> host_;
};

TEST_F(EveryDeliverable, InputsOutputsAndSettingsArrive) {
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].act(SimBus(i), Address(i), *host_, rows_[i].driver);
  ExpectAll([&](std::size_t i) { return Arrived(i); }, "inputs, outputs or settings did not arrive");
  ExpectAll([&](std::size_t i) { return ConnectState(i) == "0"; }, "not connected");
}

TEST_F(EveryDeliverable, SilentModuleShowsTimeoutThenComesBack) {
  ExpectAll([&](std::size_t i) { return ConnectState(i) == "0"; }, "never connected");
  for (std::size_t i = 0; i < rows_.size(); ++i) SimBus(i).SetSilent(Address(i), true);
  ExpectAll([&](std::size_t i) { return ConnectState(i) == "2"; }, "Connect State never showed the timeout (2)");
  for (std::size_t i = 0; i < rows_.size(); ++i) SimBus(i).SetSilent(Address(i), false);
  ExpectAll([&](std::size_t i) { return ConnectState(i) == "0"; }, "did not come back");
}

TEST_F(EveryDeliverable, PowerCycledModuleGetsItsConfigurationAgain) {
  for (std::size_t i = 0; i < rows_.size(); ++i) rows_[i].act(SimBus(i), Address(i), *host_, rows_[i].driver);
  ExpectAll([&](std::size_t i) { return Arrived(i); }, "first configuration did not arrive");
  // Silent long enough for the host to declare the module lost (failure
  // limit 1 at a 100 ms response timeout, while the other silent modules of
  // the bus take their turns); the module forgets what it was told.
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    SimBus(i).ClearRequests();
    SimBus(i).PowerCycle(Address(i), 2000);
  }
  ExpectAll([&](std::size_t i) {
    const auto requests = SimBus(i).Requests(Address(i));
    char write[8];
    std::snprintf(write, sizeof write, "%%%02X", Address(i));
    bool configured = false;
    for (const std::string& request : requests) configured |= request.rfind(write, 0) == 0;
    return configured;  // seen once is enough: the module keeps only its last requests
  }, "configuration not written again after the power cycle");
  ExpectAll([&](std::size_t i) { return Arrived(i) && ConnectState(i) == "0"; },
            "settings or outputs not restored after the power cycle");
}

}  // namespace
