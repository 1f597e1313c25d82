// The Module of the analog output modules: the control group (format
// parameter string) and one analog output group, which alone decides a
// continuous-mode scan since there is no input group.
#pragma once

#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_out/analog_output_group.h"

namespace rio {

template <const AnalogOutputVariant& kVariant>
class AnalogOutputModule final : public DriverModule {
 public:
  AnalogOutputModule() : DriverModule(control_, {{&outputs_, GroupRole::Output}}) {}

 private:
  ControlGroup control_{ParamForm::Format, ThisDriver().models};
  AnalogOutputGroup outputs_{kVariant};
};

}  // namespace rio
