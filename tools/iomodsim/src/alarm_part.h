// High and low alarms of analog inputs: limit, mode and output per channel
// and side, latches and their clears, and the coefficient sets of the
// coefficient input types (70 to 77). An enabled alarm whose output
// character is the digit of a digital output drives that output: the module
// sets it while the alarm is active and ignores the host's writes to it.
#pragma once

#include <array>
#include <map>
#include <vector>

#include "part.h"

namespace sim {

class AlarmPart : public Part {
 public:
  AlarmPart(unsigned channels, bool coefficients);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void Advance(ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;

 private:
  struct Alarm {
    bool enabled = false;
    double limit = 0;
    char mode = 0;
    char output = 0;
    bool active = false;
  };
  struct Channel {
    Alarm high, low;
  };

  std::optional<std::string> HandleSetting(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleChannelCommand(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleCoefficient(const Request& request, ModuleContext& context);
  void Evaluate(ModuleContext& context);

  std::vector<Channel> channels_;
  bool coefficientsAnswered_;
  std::map<std::uint8_t, std::array<std::string, 3>> coefficients_;
};

}  // namespace sim
