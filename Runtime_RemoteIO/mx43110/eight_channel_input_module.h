// The Module of the eight-channel analog input modules: the control group
// (format-and-type parameter string) and one eight-channel input group.
#pragma once

#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/analog_input_group.h"

namespace rio {

class EightChannelInputModule final : public DriverModule {
 public:
  EightChannelInputModule() : DriverModule(control_, {{&inputs_, GroupRole::Input}}) {}

 private:
  ControlGroup control_{ParamForm::FormatAndType, ThisDriver().models};
  AnalogInputGroup inputs_{8};
};

}  // namespace rio
