// Analog outputs: types, writes in each data format kept and read back,
// stored power-on and safe values in both styles, the power-on mask, and
// what a power cycle and the host watchdog do to the outputs.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace sim::test {
namespace {

struct WriteCase {
  const char* driver;
  const char* model;
  const char* format;  // FF of the configuration write
  const char* type;    // $AA9 request for channel 0
  const char* write;
  const char* reply;
  double value;
};

TEST(AnalogWrite, KeepsWhatWasWrittenInEachDataFormat) {
  const WriteCase cases[] = {
      {"mx43610", "MX-43610H", "00", "$0190320", "#010+05.000", ">", 5.0},
      {"mx43610", "MX-43610H", "00", "$0190300", "#010+25.000", ">", 20.0},  // limited to 0-20 mA
      {"mx43610", "MX-43610H", "00", "$0190350", "#010-1.2500", ">", -1.25},
      {"mx43610", "MX-43610H", "01", "$0190330", "#010+050.00", ">", 5.0},  // percent of +-10 V
      {"mx43610", "MX-43610H", "01", "$0190310", "#010+050.00", ">", 12.0},  // percent of the 4-20 mA span
      {"mx43610", "MX-43610H", "02", "$0190320", "#0108000", ">", 0.0},      // 8000 is the low end
      {"mx43610", "MX-43610H", "02", "$0190320", "#0107FFF", ">", 10.0},     // 7FFF the high end
      {"mx43220", "MX-43220", "00", "$01902A", "#01005.000", ">", 5.0},      // no sign
      {"mx43280", "MX-43280V", "00", "$019030", "#010-05.000", ">", -5.0},
      {"mx43280", "MX-43280V", "02", "$019020", "#0104D2", ">", 10.0 * (0x4D2 + 32768) / 65535},
      {"mx43610", "MX-43610H", "00", "$0190320", "#010abc", "?01", 0.0},
      {"mx43610", "MX-43610H", "00", "$0190320", "#010+1.0E01", "?01", 0.0},
      {"mx43610", "MX-43610H", "02", "$0190320", "#01012345", "?01", 0.0},  // more than four digits
      {"mx43610", "MX-43610H", "02", "$0190320", "#0104d2", "?01", 0.0},
      {"mx43610", "MX-43610H", "00", "$0190320", "#012+05.000", "?01", 0.0},  // channel 2 of 2
      {"mx43610", "MX-43610H", "00", "$0190320", "#010+05.000000", "?01", 0.0},  // more than 8 characters
  };
  for (const WriteCase& c : cases) {
    TestBus t;
    t.Add(c.driver, 1, c.model);
    SCOPED_TRACE(std::string(c.driver) + " " + c.format + " " + c.write);
    ASSERT_EQ(t.Ask(std::string("%01013206") + c.format), "!01");
    ASSERT_EQ(t.Ask(c.type), "!01");
    EXPECT_EQ(t.Ask(c.write), c.reply);
    EXPECT_NEAR(t.bus.AnalogOutput(1, 0).value_or(-99), c.value, 1e-9);
    if (c.reply[0] == '>') {
      EXPECT_EQ(t.Snap(1).analogOutputs[0].written, std::string(c.write).substr(4));
    }
  }
}

TEST(AnalogWrite, TypeRequestsAreCheckedPerFamily) {
  TestBus t;
  t.Add("mx43610", 1, "MX-43610H");
  t.Add("mx43280", 2, "MX-43280V");
  EXPECT_EQ(t.Ask("$0191345"), "!01");
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_EQ(snapshot.analogOutputs[1].type, "34");
  EXPECT_EQ(snapshot.analogOutputs[1].option, '5');
  for (const char* bad : {"$0191360", "$0191240", "$019134", "$0192340", "$01913405"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;
  }
  EXPECT_EQ(t.Ask("$029750"), "!02");
  for (const char* bad : {"$0297340", "$029860", "$02975"}) EXPECT_EQ(t.Ask(bad), "?02") << bad;
  EXPECT_EQ(t.bus.AnalogOutput(2, 8), std::nullopt);
  EXPECT_EQ(t.bus.AnalogOutput(3, 0), std::nullopt);
}

TEST(StoredValues, TextCommandsSetPowerOnAndSafeValues) {
  TestBus t;
  t.Add("mx43280", 1, "MX-43280V");
  EXPECT_EQ(t.Ask("~016P0+05.000"), "!01");
  EXPECT_EQ(t.Ask("~016S0+01.000"), "!01");
  EXPECT_EQ(t.Ask("~016P7+02.000"), "!01");
  for (const char* bad : {"~016X0+1", "~016P8+1", "~016P0", "~016P0+05.00000"}) EXPECT_EQ(t.Ask(bad), "?01") << bad;
  EXPECT_EQ(t.Ask("#010+07.000"), ">");
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[0].powerOnValue, 5.0);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[0].safeValue, 1.0);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[0].value, 7.0);
  t.bus.PowerCycle(1, 0);
  EXPECT_EQ(t.bus.AnalogOutput(1, 0), 5.0);
  EXPECT_EQ(t.bus.AnalogOutput(1, 7), 2.0);
}

TEST(StoredValues, StoreCommandsTakeThePresentOutput) {
  TestBus t;
  t.Add("mx43220", 1, "MX-43220");
  EXPECT_EQ(t.Ask("#01101.000"), ">");
  EXPECT_EQ(t.Ask("~0151"), "!01");  // safe value of channel 1
  EXPECT_EQ(t.Ask("#01106.500"), ">");
  EXPECT_EQ(t.Ask("$0141"), "!01");  // power-on value of channel 1
  EXPECT_EQ(t.Ask("#01103.000"), ">");
  EXPECT_EQ(t.Ask("$0142"), "?01");
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[1].safeValue, 1.0);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[1].powerOnValue, 6.5);
  t.bus.PowerCycle(1, 0);
  EXPECT_EQ(t.bus.AnalogOutput(1, 1), 6.5);
}

TEST(StoredValues, PowerOnMaskKeepsOutputsOverAPowerCycle) {
  TestBus t;
  t.Add("mx43280", 1, "MX-43280V");
  EXPECT_EQ(t.Ask("@01BB0A"), "!01");  // channels 1 and 3 keep their value
  EXPECT_EQ(t.Ask("@01BB100"), "?01");
  EXPECT_EQ(t.Ask("@01BBG0"), "?01");
  for (const char* write : {"#010+04.000", "#011+04.000", "#013+04.000"}) EXPECT_EQ(t.Ask(write), ">");
  t.bus.PowerCycle(1, 0);
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_EQ(snapshot.powerOnMask, 0x0Au);
  EXPECT_TRUE(snapshot.analogOutputs[1].keepsLastValue);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[0].value, 0.0);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[1].value, 4.0);
  EXPECT_DOUBLE_EQ(snapshot.analogOutputs[3].value, 4.0);
  EXPECT_TRUE(snapshot.analogOutputs[1].written.empty());
}

TEST(StoredValues, WatchdogExpiryTakesTheSafeValues) {
  TestBus t;
  t.Add("mx43610", 1, "MX-43610H");
  EXPECT_EQ(t.Ask("~016S1+02.500"), "!01");
  EXPECT_EQ(t.Ask("#011+08.000"), ">");
  EXPECT_EQ(t.Ask("~013105"), "!01");
  t.now += 501;
  EXPECT_EQ(t.bus.AnalogOutput(1, 1), 2.5);
  EXPECT_EQ(t.Ask("#011+08.000"), "?01");
  EXPECT_EQ(t.Ask("~011"), "!01");
  EXPECT_EQ(t.Ask("#011+08.000"), ">");
  EXPECT_EQ(t.bus.AnalogOutput(1, 1), 8.0);
}

}  // namespace
}  // namespace sim::test
