// mx43120t: eight thermocouple inputs, model MX-43120T. Channel token:
// min/max. The cold-junction compensation is the module's, switched on by a
// last module parameter token beginning with E.
#include "Runtime_RemoteIO/mx43120/thermocouple_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43120T", "43120T"}};
const DriverIdentity kIdentity{{kModels, 1}, "1.0.1"};
const ThermocoupleDriver kThermocouple{ParamForm::FormatAndType, true, {0, 0, 1, nullptr, 0}};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
const ThermocoupleDriver& ThisThermocoupleDriver() { return kThermocouple; }
Module* NewDriverModule() { return CreateModuleOf<ThermocoupleModule>(); }

}  // namespace rio
