// The Module of the thermocouple input modules: a control group that may
// keep the module-wide cold-junction compensation, and one thermocouple
// group. The drivers differ in data only, stated by each deliverable beside
// its model table.
#pragma once

#include "framework/driver_identity.h"
#include "framework/driver_module.h"
#include "groups/analog_in/cjc_control_group.h"
#include "groups/analog_in/thermocouple_input_group.h"

namespace rio {

struct ThermocoupleDriver {
  ParamForm form;   // of the module parameter string
  bool moduleCjc;   // CJC kept for the whole module, in the control group
  ThermocoupleVariant channels;
};

// Defined by each thermocouple deliverable, like ThisDriver.
const ThermocoupleDriver& ThisThermocoupleDriver();

class ThermocoupleModule final : public DriverModule {
 public:
  ThermocoupleModule() : DriverModule(control_, {{&inputs_, GroupRole::Input}}) {}

 private:
  CjcControlGroup control_{ThisThermocoupleDriver().form, ThisDriver().models, ThisThermocoupleDriver().moduleCjc};
  ThermocoupleInputGroup inputs_{ThisThermocoupleDriver().channels};
};

}  // namespace rio
