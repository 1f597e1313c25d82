// The modules of the fault campaign and the load tests, one of every driver
// family, and what each of their variables means on the simulated module:
// which inputs the module presents, which outputs and settings it must hold.
// From that description come the station text, the inputs pinned in the
// simulator, the changes a "control program" makes, and the comparison
// of every variable with the module.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace iohost {
class Runtime;
}
namespace sim {
class Bus;
}

namespace robustness {

// Where a variable's value lives on the module.
enum class Link {
  None,
  AnalogIn,     // analogInputs[channel].value
  Maximum,      // analogInputs[channel].maximum
  Minimum,      // analogInputs[channel].minimum
  CjcRead,      // cjcTemperature (it drifts slowly)
  DigitalIn,    // digitalInputs[channel]
  Counter,      // counters[channel]
  AnalogOut,    // analogOutputs[channel].value
  DigitalOut,   // digitalOutputs[channel]
  ChannelCjc,   // analogInputs[channel].cjcOffset
  TempSetting,  // analogInputs[channel].temperatureSetting
  ModuleCjc,    // moduleCjcOffset
  CjcEnable,    // cjcEnabled
  LedValue,     // ledValue
};

struct CampaignVariable {
  std::string name;
  std::string type;    // BOOL, REAL, UDINT
  std::string params;
  Link link = Link::None;
  unsigned channel = 0;
  double low = 0, high = 0;  // values pinned (inputs) or written (outputs, settings), in steps of 0.5
  bool IsInput() const;
  bool IsWritten() const;  // an output or a setting the control program changes
};

struct CampaignModule {
  std::string name, driver, model, params;
  unsigned address = 0;
  int typeCode = -1;          // the module type code the parameters configure (-1: none)
  std::string channelType;    // the type every channel is configured with ("" : none)
  std::vector<CampaignVariable> variables;
};

// One module of each of the fifteen families, at addresses first, first + 1, ...
std::vector<CampaignModule> OneOfEachFamily(unsigned first);
// count modules (families in turn), addresses first, first + 1, ...; names get
// the suffix.
std::vector<CampaignModule> ModulesInTurn(unsigned count, unsigned first, const std::string& suffix);

struct BusLine {
  std::string name, port;
  unsigned timeoutMs = 100;
  bool checksum = false;
};
// A station file: every bus with its modules.
std::string StationText(const std::vector<BusLine>& buses, const std::vector<std::vector<CampaignModule>>& modules);

// Holds every input of the modules at a random value.
void PinInputs(sim::Bus& bus, const std::vector<CampaignModule>& modules, std::mt19937& random);
// Writes a new random value into one output or setting, as a control program would.
void ChangeOneOutput(iohost::Runtime& runtime, const std::vector<CampaignModule>& modules, std::mt19937& random);
// Every variable that differs from its module ("module variable: host x, module y"); empty when
// every input equals the module's value and every output, setting and channel type is on the module.
std::vector<std::string> Differences(iohost::Runtime& runtime, sim::Bus& bus, const std::vector<CampaignModule>& modules);

}  // namespace robustness
