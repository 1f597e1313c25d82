// mx43610 end to end: the mixed module's groups in their order, partially
// configured modules, and outputs written on change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/mixed/mixed_fixture.h"

namespace {

using drivertest::Concat;
using drivertest::ControlRequests;
using host::ScanRunner;
using Requests = std::vector<std::string>;

class Mx43610 : public ::testing::Test {
 protected:
  Mx43610() : tree_(1, "MX-43610H", "00,Continuous,100,3") {}

  void Start(std::uint32_t flags = 0) {
    drivertest::AnswerMixedModule(bus_, "43610H", 6, 7);
    module_ = plugin_.CreateModule();
    ASSERT_EQ(module_->Initialize(tree_.Db(), tree_.ModuleNode(), flags, 0), 1);
  }
  Requests Scan() { return ScanRunner::Requests(runner_.Scan(*module_, bus_)); }
  Requests ScanIfDue() { return ScanRunner::Requests(runner_.ScanIfDue(*module_, bus_)); }

  host::Plugin plugin_{"mx43610"};
  host::HostTree tree_;
  host::Responder bus_{false};
  ScanRunner runner_;
  host::ModulePtr module_;
};

TEST_F(Mx43610, PublishesItsModelAndVersion) {
  char buffer[16];
  EXPECT_EQ(plugin_.GetName(buffer, 9), 0);
  EXPECT_EQ(std::string(buffer, 9), "MX-43610H");
  EXPECT_EQ(plugin_.GetName(buffer, 10), 1);
  EXPECT_EQ(plugin_.Version(), "1.1.2");
}

TEST_F(Mx43610, FullyConfiguredFirstScanVisitsEveryGroupInOrder) {
  for (int i = 0; i < 6; ++i) {
    tree_.AddVariable("AI " + std::to_string(i), host::kTypeFloat32, "08,M,+05.000,1,L,-05.000,0");
  }
  host::Var ao0 = tree_.AddVariable("AO 0", host::kTypeFloat32, "30,0,0,10,+02.000,+01.000");
  tree_.AddVariable("AO 1", host::kTypeFloat32, "32,0,0,10,+03.000,+00.500");
  host::Var di1 = tree_.AddVariable("DI 1", host::kTypeBool, "0");
  tree_.AddVariable("DI 0", host::kTypeBool, "E");
  host::Var counter = tree_.AddVariable("DI Counter 0", host::kTypeUInt32);
  tree_.AddVariable("DO 0", host::kTypeBool, "1,0");
  host::Var do1 = tree_.AddVariable("DO 1", host::kTypeBool, "0,1");
  Start();

  Requests alarms;
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    alarms.insert(alarms.end(), {"$017C" + n + "R08", "@01HI+05.000C" + n + "MO1", "@01LO-05.000C" + n + "LO0"});
  }
  Requests expected = Concat(ControlRequests("%0101050600"), alarms);
  expected = Concat(expected, {"#01", "@01CEC0", "@01DI", "@01REC0"});
  expected = Concat(expected, {"$0190300", "~016S0+01.000", "~016P0+02.000", "$0191320", "~016S1+00.500",
                               "~016P1+03.000", "#010+00.000", "#011+00.000"});
  expected = Concat(expected, {"~0150102", "@01DO00"});
  EXPECT_EQ(Scan(), expected);
  EXPECT_EQ(tree_.Get<bool>(di1), true) << "input byte 02 sets DI 1";
  EXPECT_EQ(tree_.Get<std::uint32_t>(counter), 42U);

  // Online, continuous: the analog outputs only when changed, the port
  // outputs at every scan.
  EXPECT_EQ(ScanIfDue(), (Requests{"#01", "@01DI", "@01REC0", "@01DO00"}));
  tree_.Set<float>(ao0, 5.0f);
  tree_.Set<bool>(do1, true);
  EXPECT_EQ(ScanIfDue(), (Requests{"#01", "@01DI", "@01REC0", "#010+05.000", "@01DO02"}));
  EXPECT_EQ(ScanIfDue(), (Requests{"#01", "@01DI", "@01REC0", "@01DO02"}));
}

TEST_F(Mx43610, PartiallyConfiguredModuleDisablesAbsentAlarmChannels) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "08,D,D");
  tree_.AddVariable("AO 1", host::kTypeFloat32, "30,0,0,10,+02.000,+01.000");
  tree_.AddVariable("DO 0", host::kTypeBool, "0,0");
  Start();
  Requests expected = Concat(ControlRequests("%0101050600"), {"$017C0R08", "@01DHC0", "@01DLC0"});
  for (int i = 1; i < 6; ++i) {
    expected.insert(expected.end(), {"@01DHC" + std::to_string(i), "@01DLC" + std::to_string(i)});
  }
  expected = Concat(expected, {"#01", "@01DI", "$0191300", "~016S1+01.000", "~016P1+02.000", "#011+00.000",
                               "~0150000", "@01DO00"});
  EXPECT_EQ(Scan(), expected);
}

TEST_F(Mx43610, UnansweredAnalogWriteIsSentAgain) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "08,D,D");
  host::Var ao0 = tree_.AddVariable("AO 0", host::kTypeFloat32, "30,0,0,10,+02.000,+01.000");
  Start(drivertest::kStartOnline);
  Scan();
  tree_.Set<float>(ao0, 5.0f);
  bus_.Silent("#010+05.000");
  // The port outputs (no node configured: written as 00) go out at every scan.
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DI", "#010+05.000", "@01DO00"}));
  bus_.Forget("#010+05.000");
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DI", "#010+05.000", "@01DO00"})) << "the write was never answered";
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DI", "@01DO00"}));
}

}  // namespace
