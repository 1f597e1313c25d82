// mx43dio: the digital input/output modules. The module's "@" state word
// carries the n inputs in its low bits and the n outputs directly above.
#include "framework/control_group.h"
#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/digital/bank_input_group.h"
#include "groups/digital/bank_output_group.h"

namespace rio {
namespace {

const ModelRow kModels[] = {
    {"MX-43560", "43560"},
    {"MX-43550", "43550"},
    {"MX-43540", "43540"},
    {"MX-43530", "43530"},
};
const DriverIdentity kIdentity{{kModels, sizeof kModels / sizeof kModels[0]}, "1.1.1"};

// Every model has as many inputs as outputs.
const ChannelCountRow kChannelRows[] = {
    {"MX-43560", 16},
    {"MX-43550", 8},
    {"MX-43540", 8},
    {"MX-43530", 4},
};
const ChannelTable kChannels{kChannelRows, sizeof kChannelRows / sizeof kChannelRows[0]};

class DigitalInOutModule final : public DriverModule {
 public:
  DigitalInOutModule() : DriverModule(control_, {{&inputs_, GroupRole::Input}, {&outputs_, GroupRole::Output}}) {}

 private:
  ControlGroup control_{ParamForm::Plain, ThisDriver().models};
  BankInputGroup inputs_{kChannels, StateMask::LowChannels};
  BankOutputGroup outputs_{kChannels, StateMask::AboveLowChannels};
};

}  // namespace

const DriverIdentity& ThisDriver() { return kIdentity; }
Module* NewDriverModule() { return CreateModuleOf<DigitalInOutModule>(); }

}  // namespace rio
