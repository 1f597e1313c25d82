// mx2430: one analog input with an LED display, model N-2430Q. The module
// parameter string is data format, type code, LED mode, then the scan mode.
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/analog_input_group.h"
#include "groups/analog_in/led_control_group.h"

namespace rio {
namespace {

const ModelRow kModels[] = {{"N-2430Q", "2430Q"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.0.0"};

class LedInputModule final : public DriverModule {
 public:
  LedInputModule() : DriverModule(control_, {{&input_, GroupRole::Input}}) {}

 private:
  LedControlGroup control_{ThisDriver().models};
  AnalogInputGroup input_{1};
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<LedInputModule>(); }

}  // namespace rio
