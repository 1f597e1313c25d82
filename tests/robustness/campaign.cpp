#include "campaign.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "iomodsim/bus.h"
#include "runtime.h"

namespace robustness {
namespace {

CampaignVariable Var(std::string name, std::string type, std::string params = "", Link link = Link::None,
                     unsigned channel = 0, double low = 0, double high = 0) {
  CampaignVariable var;
  var.name = std::move(name);
  var.type = std::move(type);
  var.params = std::move(params);
  var.link = link;
  var.channel = channel;
  var.low = low;
  var.high = high;
  return var;
}

std::string Numbered(const char* prefix, unsigned n) { return prefix + std::to_string(n); }

void AddInputs(CampaignModule& m, unsigned count, const std::string& params, double low, double high) {
  for (unsigned n = 0; n < count; ++n) m.variables.push_back(Var(Numbered("AI ", n), "REAL", params, Link::AnalogIn, n, low, high));
}
void AddOutputs(CampaignModule& m, unsigned count, const std::string& params, double low, double high) {
  for (unsigned n = 0; n < count; ++n) m.variables.push_back(Var(Numbered("AO ", n), "REAL", params, Link::AnalogOut, n, low, high));
}
void AddDigitalOutputs(CampaignModule& m, unsigned count) {
  for (unsigned n = 0; n < count; ++n) m.variables.push_back(Var(Numbered("DO ", n), "BOOL", "0,0", Link::DigitalOut, n, 0, 1));
}
// Digital inputs, the one at counted with its counter.
void AddDigitalInputs(CampaignModule& m, unsigned count, unsigned counted) {
  for (unsigned n = 0; n < count; ++n) {
    m.variables.push_back(Var(Numbered("DI ", n), "BOOL", n == counted ? "E" : "", Link::DigitalIn, n, 0, 1));
  }
  m.variables.push_back(Var(Numbered("DI Counter ", counted), "UDINT", "", Link::Counter, counted));
}
void AddColdJunction(CampaignModule& m) {
  m.variables.push_back(Var("CJC", "REAL", "", Link::CjcRead));
  m.variables.push_back(Var("Enable CJC", "BOOL", "", Link::CjcEnable, 0, 0, 1));
}

CampaignModule Module(const char* driver, const char* model, const char* params) {
  CampaignModule m;
  m.driver = driver;
  m.model = model;
  m.params = params;
  return m;
}

// Thermocouple inputs are pinned within every type's range.
constexpr double kDegreesLow = -100, kDegreesHigh = 500;

std::vector<CampaignModule> Families() {
  std::vector<CampaignModule> all;

  CampaignModule m = Module("mx43110", "MX-43110", "00,09,Continuous,100,3");
  m.typeCode = 0x09;
  AddInputs(m, 8, "", -4.5, 4.5);
  all.push_back(m);

  m = Module("mx43110tk", "MX-43110TK", "00,09,Periodic,50,300,0,3");
  m.typeCode = 0x09;
  AddInputs(m, 4, "", -4.5, 4.5);
  all.push_back(m);

  // Channel tokens: CJC offset, min/max.
  m = Module("mx43120", "MX-43120", "00,0F,Continuous,100,3");
  m.typeCode = 0x0F;
  AddInputs(m, 8, "E,E", kDegreesLow, kDegreesHigh);
  for (unsigned n = 0; n < 8; ++n) m.variables.push_back(Var(Numbered("Set CJC ", n), "REAL", "", Link::ChannelCjc, n, -10, 10));
  m.variables.push_back(Var("Max 0", "REAL", "", Link::Maximum, 0));
  m.variables.push_back(Var("Min 0", "REAL", "", Link::Minimum, 0));
  AddColdJunction(m);
  all.push_back(m);

  // Channel tokens: type, CJC offset, min/max; ten channels.
  m = Module("mx43120h", "MX-43120N", "00,Continuous,100,3");
  m.channelType = "0F";
  AddInputs(m, 10, "0F,E,E", kDegreesLow, kDegreesHigh);
  for (unsigned n = 0; n < 10; ++n) m.variables.push_back(Var(Numbered("Set CJC ", n), "REAL", "", Link::ChannelCjc, n, -10, 10));
  m.variables.push_back(Var("Max 9", "REAL", "", Link::Maximum, 9));
  m.variables.push_back(Var("Min 9", "REAL", "", Link::Minimum, 9));
  AddColdJunction(m);
  all.push_back(m);

  // Channel token: min/max; the module's own CJC, switched on by the last token.
  m = Module("mx43120t", "MX-43120T", "00,0F,Continuous,100,3,E");
  m.typeCode = 0x0F;
  AddInputs(m, 8, "E", kDegreesLow, kDegreesHigh);
  m.variables.push_back(Var("Max 3", "REAL", "", Link::Maximum, 3));
  m.variables.push_back(Var("Min 3", "REAL", "", Link::Minimum, 3));
  m.variables.push_back(Var("Set CJC", "REAL", "", Link::ModuleCjc, 0, -50, 50));
  AddColdJunction(m);
  all.push_back(m);

  m = Module("mx43130", "MX-43130T", "00,Continuous,100,3");
  m.channelType = "0F";
  AddInputs(m, 8, "0F", kDegreesLow, kDegreesHigh);
  for (unsigned n = 0; n < 8; ++n) {
    m.variables.push_back(Var(Numbered("CJC ", n), "REAL", "", Link::ChannelCjc, n, -10, 10));
    m.variables.push_back(Var(Numbered("Temp ", n), "REAL", "", Link::TempSetting, n, -12, 12));
  }
  all.push_back(m);

  m = Module("mx2430", "N-2430Q", "00,09,2,Continuous,100,3");
  m.typeCode = 0x09;
  AddInputs(m, 1, "", -4.5, 4.5);
  m.variables.push_back(Var("LED Host Control", "REAL", "", Link::LedValue, 0, -90, 90));
  all.push_back(m);

  m = Module("mx43220", "MX-43220", "00,Continuous,100,3");
  AddOutputs(m, 2, "2,0,0,10,0,0", 0, 10);
  all.push_back(m);

  m = Module("mx43280", "MX-43280V", "00,Continuous,100,3");
  AddOutputs(m, 8, "3,0,-10,10,0,0", -10, 10);
  all.push_back(m);

  // Alarms disabled: an alarm would drive a digital output itself.
  m = Module("mx43610", "MX-43610H", "00,Continuous,100,3");
  AddInputs(m, 6, "08,D,D", -9.5, 9.5);
  AddOutputs(m, 2, "32,0,0,10,0,0", 0, 10);
  AddDigitalInputs(m, 2, 0);
  AddDigitalOutputs(m, 2);
  all.push_back(m);

  m = Module("mx43150", "MX-43150", "00,Continuous,100,3");
  AddInputs(m, 8, "08,D,D", -9.5, 9.5);
  AddDigitalOutputs(m, 8);
  all.push_back(m);

  m = Module("mx2470", "N-2470", "00,Continuous,100,3");
  AddInputs(m, 8, "08,D,D", -9.5, 9.5);
  AddDigitalOutputs(m, 6);
  all.push_back(m);

  m = Module("mx43dio", "MX-43550", "Continuous,100,3");
  AddDigitalInputs(m, 8, 0);
  AddDigitalOutputs(m, 8);
  all.push_back(m);

  m = Module("mx43di", "MX-43722", "Continuous,100,3");
  AddDigitalInputs(m, 32, 5);
  all.push_back(m);

  m = Module("mx43do", "MX-43824", "Continuous,100,3");
  AddDigitalOutputs(m, 32);
  all.push_back(m);

  for (CampaignModule& module : all) module.variables.push_back(Var("Connect State", "UDINT"));
  return all;
}

double Step(std::mt19937& random, double low, double high) {
  const auto steps = static_cast<unsigned>(std::lround((high - low) * 2));
  return low + 0.5 * static_cast<double>(random() % (steps + 1));
}

std::string Text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

bool CampaignVariable::IsInput() const {
  return link == Link::AnalogIn || link == Link::DigitalIn;
}

bool CampaignVariable::IsWritten() const {
  switch (link) {
    case Link::AnalogOut: case Link::DigitalOut: case Link::ChannelCjc: case Link::TempSetting:
    case Link::ModuleCjc: case Link::CjcEnable: case Link::LedValue:
      return true;
    default:
      return false;
  }
}

std::vector<CampaignModule> OneOfEachFamily(unsigned first) { return ModulesInTurn(15, first, ""); }

std::vector<CampaignModule> ModulesInTurn(unsigned count, unsigned first, const std::string& suffix) {
  static const std::vector<CampaignModule> families = Families();
  std::vector<CampaignModule> modules;
  for (unsigned i = 0; i < count; ++i) {
    CampaignModule m = families[i % families.size()];
    m.address = first + i;
    m.name = m.driver + "_" + std::to_string(m.address) + suffix;
    modules.push_back(m);
  }
  return modules;
}

std::string StationText(const std::vector<BusLine>& buses, const std::vector<std::vector<CampaignModule>>& modules) {
  std::string text;
  for (const BusLine& bus : buses) {
    text += "[[bus]]\nname = \"" + bus.name + "\"\nport = \"" + bus.port + "\"\nbaud = 115200\ntimeout_ms = " +
            std::to_string(bus.timeoutMs) + "\nchecksum = " + (bus.checksum ? "true" : "false") + "\n\n";
  }
  for (std::size_t b = 0; b < buses.size(); ++b) {
    for (const CampaignModule& m : modules[b]) {
      text += "[[module]]\nname = \"" + m.name + "\"\nbus = \"" + buses[b].name + "\"\ndriver = \"" + m.driver +
              "\"\naddress = " + std::to_string(m.address) + "\nmodel = \"" + m.model + "\"\nparams = \"" + m.params +
              "\"\n";
      for (const CampaignVariable& var : m.variables) {
        text += "  [[module.variable]]\n  name = \"" + var.name + "\"\n  type = \"" + var.type + "\"\n";
        if (!var.params.empty()) text += "  params = \"" + var.params + "\"\n";
      }
      text += "\n";
    }
  }
  return text;
}

void PinInputs(sim::Bus& bus, const std::vector<CampaignModule>& modules, std::mt19937& random) {
  for (const CampaignModule& m : modules) {
    for (const CampaignVariable& var : m.variables) {
      if (var.link == Link::AnalogIn) bus.PinAnalogInput(m.address, var.channel, Step(random, var.low, var.high));
      if (var.link == Link::DigitalIn) bus.PinDigitalInput(m.address, var.channel, random() % 2 == 1);
    }
  }
}

void ChangeOneOutput(iohost::Runtime& runtime, const std::vector<CampaignModule>& modules, std::mt19937& random) {
  const CampaignModule& m = modules[random() % modules.size()];
  std::vector<const CampaignVariable*> written;
  for (const CampaignVariable& var : m.variables) {
    if (var.IsWritten()) written.push_back(&var);
  }
  if (written.empty()) return;
  const CampaignVariable& var = *written[random() % written.size()];
  const double value = Step(random, var.low, var.high);
  std::string message;
  runtime.Set(m.name, var.name, var.type == "BOOL" ? (value != 0 ? "1" : "0") : Text(value), &message);
}

std::vector<std::string> Differences(iohost::Runtime& runtime, sim::Bus& bus, const std::vector<CampaignModule>& modules) {
  std::vector<std::string> differences;
  for (const CampaignModule& m : modules) {
    const auto snapshot = bus.Snapshot(m.address);
    if (!snapshot) {
      differences.push_back(m.name + ": no simulated module");
      continue;
    }
    const auto report = [&](const std::string& what, const std::string& host, const std::string& module) {
      differences.push_back(m.name + " " + what + ": host " + host + ", module " + module);
    };
    if (m.typeCode >= 0 && snapshot->typeCode != m.typeCode) {
      report("type code", std::to_string(m.typeCode), std::to_string(snapshot->typeCode));
    }
    for (const CampaignVariable& var : m.variables) {
      const std::string text = runtime.Get(m.name, var.name).value_or("?");
      const double host = std::strtod(text.c_str(), nullptr);
      const auto& inputs = snapshot->analogInputs;
      const bool inRange = var.channel < inputs.size();
      double module = 0;
      double tolerance = 0.0006;
      switch (var.link) {
        case Link::None:
          if (var.name == "Connect State" && text != "0") report(var.name, text, "answering");
          continue;
        case Link::AnalogIn:
          if (!m.channelType.empty() && inRange && inputs[var.channel].type != m.channelType) {
            report(var.name + " type", m.channelType, inputs[var.channel].type);
          }
          module = inRange ? inputs[var.channel].value : NAN;
          tolerance = 0.06;
          break;
        case Link::Maximum:
        case Link::Minimum: {
          const auto& recorded = inRange ? (var.link == Link::Maximum ? inputs[var.channel].maximum
                                                                      : inputs[var.channel].minimum)
                                         : std::optional<double>();
          module = recorded.value_or(NAN);
          tolerance = 0.06;
          break;
        }
        case Link::CjcRead: module = snapshot->cjcTemperature; tolerance = 0.2; break;
        case Link::DigitalIn:
          module = var.channel < snapshot->digitalInputs.size() && snapshot->digitalInputs[var.channel] ? 1 : 0;
          break;
        case Link::Counter:
          module = var.channel < snapshot->counters.size() ? snapshot->counters[var.channel] : NAN;
          break;
        case Link::AnalogOut:
          module = var.channel < snapshot->analogOutputs.size() ? snapshot->analogOutputs[var.channel].value : NAN;
          break;
        case Link::DigitalOut:
          module = var.channel < snapshot->digitalOutputs.size() && snapshot->digitalOutputs[var.channel] ? 1 : 0;
          break;
        case Link::ChannelCjc: module = inRange ? inputs[var.channel].cjcOffset : NAN; break;
        case Link::TempSetting: module = inRange ? inputs[var.channel].temperatureSetting : NAN; break;
        case Link::ModuleCjc: module = snapshot->moduleCjcOffset; break;
        case Link::CjcEnable: module = snapshot->cjcEnabled ? 1 : 0; break;
        case Link::LedValue: module = snapshot->ledValue; break;
      }
      if (!(std::fabs(host - module) <= tolerance)) report(var.name, text, Text(module));
    }
  }
  return differences;
}

}  // namespace robustness
