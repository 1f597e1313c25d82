// Alarm inputs: alarm settings and their latches, alarm-driven digital
// outputs read back by the port read, coefficient sets.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace sim::test {
namespace {

class AlarmTest : public ::testing::Test {
 protected:
  void SetUp() override { t.Add("mx43610", 1, "MX-43610H"); }

  AlarmSnapshot High(unsigned channel) { return t.Snap(1).analogInputs.at(channel).high; }
  AlarmSnapshot Low(unsigned channel) { return t.Snap(1).analogInputs.at(channel).low; }
  void Input(unsigned channel, double value) {
    t.bus.PinAnalogInput(1, channel, value);
    t.now += 10;
  }

  TestBus t;
};

TEST_F(AlarmTest, MomentaryAlarmFollowsTheInput) {
  EXPECT_EQ(t.Ask("@01HI+05.000C2MO1"), "!01");
  AlarmSnapshot high = High(2);
  EXPECT_TRUE(high.enabled);
  EXPECT_DOUBLE_EQ(high.limit, 5.0);
  EXPECT_EQ(high.mode, 'M');
  EXPECT_EQ(high.output, '1');
  Input(2, 6);
  EXPECT_TRUE(High(2).active);
  Input(2, 4);
  EXPECT_FALSE(High(2).active);
}

TEST_F(AlarmTest, LatchedAlarmHoldsUntilCleared) {
  EXPECT_EQ(t.Ask("@01LO-01.5C0LO0"), "!01");
  Input(0, -2);
  Input(0, 0);
  EXPECT_TRUE(Low(0).active);
  EXPECT_EQ(t.Ask("@01CHC0"), "!01");  // the other side's clear leaves it
  EXPECT_TRUE(Low(0).active);
  EXPECT_EQ(t.Ask("@01CLC0"), "!01");
  EXPECT_FALSE(Low(0).active);
  Input(0, -3);
  EXPECT_TRUE(Low(0).active);
  EXPECT_EQ(t.Ask("@01DLC0"), "!01");
  EXPECT_FALSE(Low(0).enabled);
  EXPECT_FALSE(Low(0).active);
}

TEST_F(AlarmTest, MalformedSettingsAreRefused) {
  for (const char* bad : {"@01HI+05.000C6MO1", "@01HIabcC2MO1", "@01HIC2MO1", "@01HI+05.000X2MO1",
                          "@01HI+05.000C2MX1", "@01LO1C2M", "@01DHC6", "@01CLC", "@01DHCZ"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;
  }
  EXPECT_FALSE(High(2).enabled);
}

TEST_F(AlarmTest, AlarmDrivesItsDigitalOutputWhichTheFollowReadShows) {
  EXPECT_EQ(t.Ask("@01HI+05.000C2MO1"), "!01");  // channel 2 high alarm drives output 1
  Input(2, 0);
  EXPECT_EQ(t.Ask("@01DO03"), ">");
  EXPECT_EQ(t.Ask("@01DI").substr(0, 5), "!0101");  // output 1 belongs to the alarm: the host's 1 is ignored
  Input(2, 9);
  EXPECT_EQ(t.Ask("@01DO00"), ">");
  EXPECT_EQ(t.Ask("@01DI").substr(0, 5), "!0102");
  EXPECT_EQ(t.bus.DigitalOutput(1, 1), true);
  EXPECT_EQ(t.Ask("@01DHC2"), "!01");  // disabled: the host drives output 1 again
  EXPECT_EQ(t.Ask("@01DI").substr(0, 5), "!0100");
}

TEST(Coefficients, StoredPerTypeCodeAndLetter) {
  TestBus t;
  t.Add("mx43150", 1, "MX-43150");
  EXPECT_EQ(t.Ask("@01SAT71C+1.2345"), "!01");
  EXPECT_EQ(t.Ask("@01SCT71C-0.5"), "!01");
  EXPECT_EQ(t.Ask("@01SBT77C12345678"), "!01");
  for (const char* bad : {"@01SDT71C1", "@01SAT69C1", "@01SAT78C1", "@01SAT71C123456789", "@01SAT71X1", "@01SAT71C"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;
  }
  ModuleSnapshot snapshot = t.Snap(1);
  ASSERT_EQ(snapshot.coefficients.size(), 2u);
  EXPECT_EQ(snapshot.coefficients["71"], (std::vector<std::string>{"+1.2345", "", "-0.5"}));
  EXPECT_EQ(snapshot.coefficients["77"][1], "12345678");
}

TEST(AlarmOutputs, OnlyDigitsOfExistingOutputsDriveOutputs) {
  TestBus t;
  t.Add("mx2470", 1, "N-2470");  // six outputs
  t.bus.PinAnalogInput(1, 0, 9);
  t.bus.PinAnalogInput(1, 1, 9);
  EXPECT_EQ(t.Ask("@01HI+05.000C0MO5"), "!01");
  EXPECT_EQ(t.Ask("@01HI+05.000C1MO6"), "!01");  // no output 6: the alarm drives nothing
  EXPECT_EQ(t.Ask("@01DI"), "!012000");          // no digital inputs on this module
  EXPECT_EQ(t.Ask("@01DO40"), "?01");
}

}  // namespace
}  // namespace sim::test
