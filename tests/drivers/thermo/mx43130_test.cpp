// mx43130 end to end: per-channel type codes, CJC offsets and temperature
// settings of the temperature input module.
#include <gtest/gtest.h>

#include <string>

#include "drivers/thermo/thermo_fixture.h"

namespace {

using drivertest::Concat;
using drivertest::ControlRequests;
using drivertest::kStartOnline;
using thermotest::Requests;
using thermotest::Rig;

const char kReadReply[] = ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000";

class Mx43130 : public ::testing::Test {
 protected:
  Rig rig_{"mx43130", "MX-43130T", "43130T", "00,Continuous,100,2"};
  host::HostTree& tree_ = rig_.Tree();
};

TEST_F(Mx43130, FirstPassSendsEachBoundChannelsSettings) {
  host::Var ai2 = tree_.AddVariable("AI 2", host::kTypeFloat32, "1B");
  tree_.AddVariable("Temp 2", host::kTypeFloat32);
  tree_.AddVariable("AI 5", host::kTypeFloat32);  // no type token
  tree_.AddVariable("CJC 5", host::kTypeFloat32);
  tree_.AddVariable("Temp 6", host::kTypeFloat32);  // no AI 6: no commands
  tree_.AddVariable("CJC 6", host::kTypeFloat32);
  rig_.Start();
  rig_.Bus().On("#01", kReadReply);
  EXPECT_EQ(rig_.ScanRequests(),
            Concat(ControlRequests("%0101050600"), {"$017C2R1B", "@01A2C2T00", "$019-0000C5", "#01"}));
  EXPECT_FLOAT_EQ(tree_.Get<float>(ai2), 3.0f);
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});
}

TEST_F(Mx43130, SettingsGoOutOnChangeWithTheirEncoding) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "0E");
  host::Var temp = tree_.AddVariable("Temp 0", host::kTypeFloat32);
  tree_.AddVariable("AI 1", host::kTypeFloat32, "0E");
  host::Var offset = tree_.AddVariable("CJC 1", host::kTypeInt16);
  rig_.Start(kStartOnline);
  rig_.Bus().On("#01", kReadReply);
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});
  const std::pair<float, const char*> temps[] = {
      {0.04f, "@01A2C0T00"}, {2.5f, "@01A2C0T19"},  {-1.0f, "@01A2C0TF6"}, {-20.0f, "@01A2C0T80"},
      {12.8f, "@01A2C0T7F"}, {100.0f, "@01A2C0T7F"}, {-100.0f, "@01A2C0T80"},
  };
  for (const auto& [value, request] : temps) {
    tree_.Set<float>(temp, value);
    EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", request})) << value;
  }
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});
  // An integer variable is read as a real: 3 gives 30 tenths.
  tree_.Set<std::int16_t>(offset, 3);
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$019+001EC1"}));
}

TEST_F(Mx43130, UnansweredSettingIsSentAgainRefusedOneIsNot) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "0E");
  host::Var temp = tree_.AddVariable("Temp 0", host::kTypeFloat32);
  host::Var offset = tree_.AddVariable("CJC 0", host::kTypeFloat32);
  rig_.Start(kStartOnline);
  host::Responder& bus = rig_.Bus();
  bus.On("#01", kReadReply);
  tree_.Set<float>(temp, 1.0f);
  tree_.Set<float>(offset, 1.0f);
  bus.Silent("@01A2C0T0A");
  bus.On("$019+000AC0", "?01");
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$019+000AC0", "@01A2C0T0A"}));
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "@01A2C0T0A"}));
  bus.Forget("@01A2C0T0A");
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "@01A2C0T0A"}));
  EXPECT_EQ(rig_.ScanRequests(), Requests{"#01"});
}

}  // namespace
