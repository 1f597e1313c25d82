// mx43120h: thermocouple inputs with a type code per channel, models
// MX-43120H (eight channels) and MX-43120N (ten). Channel tokens: type code,
// CJC offset, min/max; the configuration write keeps the module's own type
// code.
#include "Runtime_RemoteIO/mx43120/thermocouple_module.h"

namespace rio {
namespace {
const ModelRow kModels[] = {{"MX-43120H", "43120H"}, {"MX-43120N", "43120N"}};
const DriverIdentity kIdentity{{kModels, 2}, "2.2.2"};
const ChannelCountRow kChannelCounts[] = {{"MX-43120H", 8}, {"MX-43120N", 10}};
const ThermocoupleDriver kThermocouple{ParamForm::Format, false, {1, 2, 3, kChannelCounts, 2}};
}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
const ThermocoupleDriver& ThisThermocoupleDriver() { return kThermocouple; }
Module* NewDriverModule() { return CreateModuleOf<ThermocoupleModule>(); }

}  // namespace rio
