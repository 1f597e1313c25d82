// mx43220: two analog outputs, model MX-43220. Bit 1 of the Initialize flags
// keeps the module's stored start-up values.
#include "Runtime_RemoteIO/mx43220/analog_output_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43220", "43220"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.1"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<AnalogOutputModule<kMx43220Outputs>>(); }

}  // namespace rio
