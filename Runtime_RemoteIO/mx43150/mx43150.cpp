// mx43150: eight alarm analog inputs and eight digital outputs, MX-43150.
#include "Runtime_RemoteIO/mx43150/alarm_input_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43150", "43150"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.2"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<AlarmInputModule<8>>(); }

}  // namespace rio
