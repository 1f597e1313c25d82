// mx43do: the digital output modules. The outputs lie from bit 0 of the "@"
// state word. In continuous mode the module is exchanged only when an output
// changed or a write is still unanswered (the output group decides alone).
#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/digital/bank_output_group.h"

namespace rio {
namespace {

// Several models share a module code: the module reports the code, and the
// name check accepts any of those models for it.
const ModelRow kModels[] = {
    {"MX-43826", "43826"},  {"MX-43824", "43824"},  {"MX-43824H", "43824"},   {"MX-43822", "43822"},
    {"MX-43822H", "43822"}, {"MX-43820", "43820"},  {"MX-43820H", "43820"},   {"MX-43818", "43818"},
    {"MX-43816", "43816"},  {"MX-43814", "43814"},  {"MX-43812", "43812"},    {"MX-43812-3B", "43812"},
    {"MX-43810", "43810"},  {"MX-43810H", "43810"},
};
const DriverIdentity kIdentity{{kModels, sizeof kModels / sizeof kModels[0]}, "1.1.1"};

const ChannelCountRow kOutputRows[] = {
    {"MX-43826", 16},  {"MX-43824", 32},  {"MX-43824H", 32},   {"MX-43822", 16}, {"MX-43822H", 16},
    {"MX-43820", 16},  {"MX-43820H", 16}, {"MX-43818", 8},     {"MX-43816", 8},  {"MX-43814", 8},
    {"MX-43812", 8},   {"MX-43812-3B", 8}, {"MX-43810", 8},    {"MX-43810H", 8},
};
const ChannelTable kOutputs{kOutputRows, sizeof kOutputRows / sizeof kOutputRows[0]};

class DigitalOutputModule final : public DriverModule {
 public:
  DigitalOutputModule() : DriverModule(control_, {{&outputs_, GroupRole::Output}}) {}

 private:
  ControlGroup control_{ParamForm::Plain, ThisDriver().models};
  BankOutputGroup outputs_{kOutputs, StateMask::AllBits};
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<DigitalOutputModule>(); }

}  // namespace rio
