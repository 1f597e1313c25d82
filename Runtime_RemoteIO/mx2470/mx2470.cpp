// mx2470: the same module design as mx43150 in the other series, N-2470,
// with six digital outputs.
#include "Runtime_RemoteIO/mx43150/alarm_input_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"N-2470", "2470"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.0.0"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<AlarmInputModule<6>>(); }

}  // namespace rio
