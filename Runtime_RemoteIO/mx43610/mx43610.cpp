// mx43610: the mixed module MX-43610H. Six analog inputs with high and low
// alarms, two analog outputs, two digital inputs with counters and two
// digital outputs behind one address.
#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/alarm_input_group.h"
#include "groups/analog_out/analog_output_group.h"
#include "groups/digital/port_input_group.h"
#include "groups/digital/port_output_group.h"

namespace rio {
namespace {

const ModelRow kModels[] = {{"MX-43610H", "43610H"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.2"};

// Construction order is the visiting order of Bind, CreateCommands and the
// continuous-mode decision; inputs are scheduled before outputs.
class MixedModule final : public DriverModule {
 public:
  MixedModule()
      : DriverModule(control_, {{&alarmInputs_, GroupRole::Input},
                                {&analogOutputs_, GroupRole::Output},
                                {&digitalInputs_, GroupRole::Input},
                                {&digitalOutputs_, GroupRole::Output}}) {}

 private:
  ControlGroup control_{ParamForm::Format, ThisDriver().models};
  AlarmInputGroup alarmInputs_{kMixedModuleAlarmInputs};
  AnalogOutputGroup analogOutputs_{kMx43610Outputs};
  PortInputGroup digitalInputs_;
  PortOutputGroup digitalOutputs_{2};
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<MixedModule>(); }

}  // namespace rio
