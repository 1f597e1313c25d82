// Analog outputs: output type per channel, writes in the module's data
// format, stored power-on and safe values (sent as text, or stored from the
// present output), and the power-on mask of outputs that keep their value
// over a power cycle.
#pragma once

#include <string>
#include <vector>

#include "families.h"
#include "part.h"

namespace sim {

class AnalogOutputPart : public Part {
 public:
  AnalogOutputPart(const FamilySpec& family, unsigned channels);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void EnterSafeState(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;

 private:
  struct Channel {
    std::string type;
    char option = 0;
    double value = 0;
    std::string written;
    double powerOnValue = 0, safeValue = 0;
  };

  std::optional<std::string> HandleType(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleWrite(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleStoredText(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleStorePresent(const Request& request, ModuleContext& context);
  std::optional<std::string> HandlePowerOnMask(const Request& request, ModuleContext& context);
  // The value of a text in the module's data format, limited to the channel's range.
  std::optional<double> Decode(std::string_view text, const Channel& channel, const ModuleContext& context) const;
  unsigned Count() const { return static_cast<unsigned>(channels_.size()); }

  unsigned typeLength_;
  StoredValueStyle storedValues_;
  bool powerOnMaskAnswered_;
  std::string factoryType_;
  std::vector<Channel> channels_;
  std::uint32_t powerOnMask_ = 0;
};

}  // namespace sim
