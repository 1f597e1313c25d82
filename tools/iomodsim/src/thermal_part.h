// Cold-junction functions and temperature settings of thermocouple and
// temperature input modules: the cold-junction read, compensation on/off,
// offsets per channel or for the whole module, per-channel temperature
// settings.
#pragma once

#include <vector>

#include "families.h"
#include "part.h"

namespace sim {

class ThermalPart : public Part {
 public:
  ThermalPart(const ThermalFeatures& features, unsigned channels);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;

  // Degrees at the module's terminals; drifts slowly around 25.
  static double ColdJunctionTemperature(std::uint64_t now);

 private:
  std::optional<std::string> HandleOffset(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleTemperatureSetting(const Request& request, ModuleContext& context);

  ThermalFeatures features_;
  bool cjcEnabled_ = true;
  double moduleOffset_ = 0;
  std::vector<double> channelOffsets_, temperatureSettings_;
};

}  // namespace sim
