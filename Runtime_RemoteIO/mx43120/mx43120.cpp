// mx43120: eight thermocouple inputs, model MX-43120. Channel tokens: CJC
// offset, min/max; the module's type code comes from the module parameter
// string.
#include "Runtime_RemoteIO/mx43120/thermocouple_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43120", "43120"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.2.1"};
const ThermocoupleDriver kThermocouple{ParamForm::FormatAndType, false, {0, 1, 2, nullptr, 0}};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
const ThermocoupleDriver& ThisThermocoupleDriver() { return kThermocouple; }
Module* NewDriverModule() { return CreateModuleOf<ThermocoupleModule>(); }

}  // namespace rio
