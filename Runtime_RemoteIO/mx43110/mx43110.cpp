// mx43110: eight analog inputs, model MX-43110.
#include "Runtime_RemoteIO/mx43110/eight_channel_input_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43110", "43110"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.1"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<EightChannelInputModule>(); }

}  // namespace rio
