// mx43130: eight temperature inputs with a type code, a CJC offset and a
// temperature setting per channel, model MX-43130T. The configuration write
// keeps the module's own type code.
#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/temperature_input_group.h"

namespace rio {
namespace {

const ModelRow kModels[] = {{"MX-43130T", "43130T"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.2"};

class TemperatureModule final : public DriverModule {
 public:
  TemperatureModule() : DriverModule(control_, {{&inputs_, GroupRole::Input}}) {}

 private:
  ControlGroup control_{ParamForm::Format, ThisDriver().models};
  TemperatureInputGroup inputs_;
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<TemperatureModule>(); }

}  // namespace rio
