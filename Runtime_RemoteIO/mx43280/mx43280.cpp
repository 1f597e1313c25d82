// mx43280: eight analog outputs, model MX-43280V. A channel whose power-on
// token is "R" gets a bit in the power-on mask instead of a stored value.
#include "Runtime_RemoteIO/mx43220/analog_output_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43280V", "43280V"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.1.2"};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<AnalogOutputModule<kMx43280Outputs>>(); }

}  // namespace rio
