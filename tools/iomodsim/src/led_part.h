// The LED display of the other-series input module: its mode ($AA8 mode;
// mode 2 shows the host's value) and the value the host sends for it
// ($AA9 and seven characters, e.g. +12.345).
#pragma once

#include "part.h"

namespace sim {

class LedPart : public Part {
 public:
  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;

 private:
  static constexpr char kFactoryMode = '1';  // the module shows its own reading
  char mode_ = kFactoryMode;
  double value_ = 0;
};

}  // namespace sim
