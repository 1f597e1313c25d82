// mx43110tk: eight analog inputs, model MX-43110TK; the same module as
// mx43110 under its own model table.
#include "Runtime_RemoteIO/mx43110/eight_channel_input_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43110TK", "43110TK"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.1"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<EightChannelInputModule>(); }

}  // namespace rio
