// mx2430 end to end: the one-channel input with its LED display mode and
// the LED value written by the control program.
#include <gtest/gtest.h>

#include <string>

#include "drivers/thermo/thermo_fixture.h"

namespace {

using drivertest::Concat;
using drivertest::ControlRequests;
using drivertest::kStartOnline;
using thermotest::Requests;
using thermotest::Rig;

class Mx2430 : public ::testing::Test {
 protected:
  explicit Mx2430(const char* params = "00,08,2,Continuous,100,2") : rig_("mx2430", "N-2430Q", "2430Q", params) {}

  void Start(std::uint32_t flags = 0) {
    rig_.Start(flags);
    rig_.Bus().On("#01", ">+01.500");
  }

  Rig rig_;
  host::HostTree& tree_ = rig_.Tree();
};

TEST_F(Mx2430, HostControlledLedIsSetUpAtTheOfflinePassThenOnlyOnChange) {
  host::Var led = tree_.AddVariable("LED Host Control", host::kTypeFloat32);
  host::Var ai0 = tree_.AddVariable("AI 0", host::kTypeFloat32);
  host::Var ai1 = tree_.AddVariable("AI 1", host::kTypeFloat32);
  Start();
  EXPECT_EQ(rig_.ScanRequests(), Concat(ControlRequests("%0101080600"), {"$0182", "$019+0.0000", "#01"}));
  EXPECT_FLOAT_EQ(tree_.Get<float>(ai0), 1.5f);
  EXPECT_FLOAT_EQ(tree_.Get<float>(ai1), 0.0f) << "one channel only";
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});

  const std::pair<float, const char*> values[] = {
      {1.99f, "$019+1.9900"},  {2.0f, "$019+02.000"},  {0.5f, "$019+0.5000"},   {-1.25f, "$019-1.2500"},
      {45.678f, "$019+45.678"}, {-7.1f, "$019-07.100"}, {150.0f, "$019+99.990"}, {-100.0f, "$019-99.990"},
      {12.345f, "$019+12.345"},
  };
  for (const auto& [value, request] : values) {
    tree_.Set<float>(led, value);
    EXPECT_EQ(rig_.ScanRequests(), (Requests{request, "#01"})) << value;
  }
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});
}

TEST_F(Mx2430, LedValueExistsOnlyInModeTwoWithItsVariable) {
  struct Case {
    const char* params;
    bool withVariable;
    Requests firstPass;
  };
  const Case cases[] = {
      {"00,08,1,Continuous,100,2", true, {"$0181", "#01"}},
      {"00,08,2,Continuous,100,2", false, {"$0182", "#01"}},
      {"00,08,A,Continuous,100,2", true, {"$018A", "#01"}},
      {"00,08", true, {"#01"}},  // no mode character to send
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    Rig rig("mx2430", "N-2430Q", "2430Q", c.params);
    host::Var led = rig.Tree().AddVariable(c.withVariable ? "LED Host Control" : "LED", host::kTypeFloat32);
    rig.Start();
    rig.Bus().On("#01", ">+01.500");
    EXPECT_EQ(rig.ScanRequests(), Concat(ControlRequests("%0101080600"), c.firstPass));
    rig.Tree().Set<float>(led, 5.0f);
    EXPECT_EQ(rig.ScanRequests(), Requests{"#01"});
  }
}

class Mx2430OnCall : public Mx2430 {
 protected:
  Mx2430OnCall() : Mx2430("00,08,2,On Call,100,2") {}
};

// A new LED value asks for an exchange; a value the module has not
// confirmed does not, so a silent module is not polled at every test.
TEST_F(Mx2430OnCall, NewLedValueTriggersTheScanPendingOneWaits) {
  host::Var led = tree_.AddVariable("LED Host Control", host::kTypeFloat32);
  host::Var onCall = tree_.AddVariable("On Call", host::kTypeBool);
  Start(kStartOnline);
  hostabi::Module& module = rig_.Module();
  EXPECT_EQ(module.IsScanDue(), 0);
  tree_.Set<float>(led, 5.0f);
  EXPECT_EQ(module.IsScanDue(), 1);
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"$019+05.000", "#01"}));
  EXPECT_EQ(module.IsScanDue(), 0);

  tree_.Set<float>(led, 6.0f);
  rig_.Bus().Silent("$019+06.000");
  EXPECT_EQ(module.IsScanDue(), 1);
  rig_.Scan();
  EXPECT_EQ(module.IsScanDue(), 0) << "the read of the same pass succeeded";
  rig_.Bus().Forget("$019+06.000");
  tree_.Set<bool>(onCall, true);
  EXPECT_EQ(module.IsScanDue(), 1);
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"$019+06.000", "#01"})) << "still pending";
  EXPECT_EQ(module.IsScanDue(), 0);
}

TEST(Mx2430OnCallModeOne, LedVariableNeverTriggers) {
  Rig rig("mx2430", "N-2430Q", "2430Q", "00,08,1,On Call,100,2");
  host::Var led = rig.Tree().AddVariable("LED Host Control", host::kTypeFloat32);
  rig.Start(kStartOnline);
  rig.Tree().Set<float>(led, 5.0f);
  EXPECT_EQ(rig.Module().IsScanDue(), 0);
}

}  // namespace
