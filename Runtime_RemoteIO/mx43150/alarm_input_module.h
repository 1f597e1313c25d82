// The Module of the eight-channel alarm input modules with a port of digital
// outputs (mx43150: eight, mx2470: six). The outputs are scheduled by their
// own trigger: in continuous mode while online only in the scans whose
// IsScanDue found them triggered; otherwise in every scan, never with
// writeAll.
#pragma once

#include <cstdint>

#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/alarm_input_group.h"
#include "groups/digital/port_output_group.h"

namespace rio {

template <std::uint32_t DigitalOutputs>
class AlarmInputModule final : public DriverModule {
 public:
  AlarmInputModule()
      : DriverModule(control_, {{&inputs_, GroupRole::Input}, {&outputs_, GroupRole::Output}},
                     OutputRule::WhenTriggered) {}

 private:
  ControlGroup control_{ParamForm::Format, ThisDriver().models};
  AlarmInputGroup inputs_{kEightChannelAlarmInputs};
  PortOutputGroup outputs_{DigitalOutputs};
};

}  // namespace rio
