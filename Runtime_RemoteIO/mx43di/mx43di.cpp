// mx43di: the digital input modules. The 8-channel models report their
// inputs in bits 8 to 15 of the "@" state word, the wider ones from bit 0.
#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/digital/bank_input_group.h"

namespace rio {
namespace {

// Several models share a module code: the module reports the code, and the
// name check accepts any of those models for it.
const ModelRow kModels[] = {
    {"MX-43722", "43722"},       {"MX-43722H", "43722"},      {"MX-43720", "43720X"},
    {"MX-43718", "43718"},       {"MX-43716", "43716"},       {"MX-43714", "43714"},
    {"MX-43714-B1", "43714"},    {"MX-43714-B4", "43714B4"},  {"MX-43714-BD2", "43714"},
    {"MX-43714-F4", "43714F4"},  {"MX-43714H", "43714"},      {"MX-43712", "43712"},
    {"MX-43710", "43710"},
};
const DriverIdentity kIdentity{{kModels, sizeof kModels / sizeof kModels[0]}, "2.1.1"};

// MX-43714-BD2 has no row: it gets the default of 8 inputs.
const ChannelCountRow kInputRows[] = {
    {"MX-43722", 32},    {"MX-43722H", 32},   {"MX-43720", 16},    {"MX-43718", 16},
    {"MX-43716", 8},     {"MX-43714", 16},    {"MX-43714-B1", 16}, {"MX-43714-B4", 16},
    {"MX-43714-F4", 16}, {"MX-43714H", 16},   {"MX-43712", 8},     {"MX-43710", 8},
};
const ChannelTable kInputs{kInputRows, sizeof kInputRows / sizeof kInputRows[0]};

class DigitalInputModule final : public DriverModule {
 public:
  DigitalInputModule() : DriverModule(control_, {{&inputs_, GroupRole::Input}}) {}

 private:
  ControlGroup control_{ParamForm::Plain, ThisDriver().models};
  BankInputGroup inputs_{kInputs, StateMask::SecondByteWhenNarrow};
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<DigitalInputModule>(); }

}  // namespace rio
