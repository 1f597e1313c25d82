// Analog input modules: reads in every data format, channel counts, values
// that move within their range, channel types, min/max, cold-junction and
// temperature settings, the LED display.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim_test_support.h"

namespace sim::test {
namespace {

struct ReadCase {
  const char* driver;
  const char* model;
  const char* configuration;  // %01 NN TT CC FF
  double value;
  unsigned channels, width;
  const char* field;
};

TEST(AnalogRead, AnswersEveryDataFormatInFixedWidthFields) {
  const ReadCase cases[] = {
      {"mx43110", "MX-43110", "%0101080600", 1.5, 8, 7, "+01.500"},
      {"mx43110", "MX-43110", "%0101080600", -10, 8, 7, "-10.000"},
      {"mx43110", "MX-43110", "%0101080601", -10, 8, 7, "-100.00"},  // percent of the range
      {"mx43110", "MX-43110", "%0101080602", 1.5, 8, 4, "1333"},     // two's complement of the magnitude
      {"mx43110", "MX-43110", "%0101080602", -10, 8, 4, "8001"},
      {"mx43110", "MX-43110", "%0101070602", 12, 8, 4, "8000"},  // 4-20 mA: 0000 to FFFF over the span
      {"mx43110", "MX-43110", "%0101070601", 12, 8, 7, "+050.00"},
      {"mx43110", "MX-43110", "%0101080603", 1.5, 8, 7, "+01.500"},
      {"mx43120", "MX-43120", "%01010E0600", 25.3, 8, 7, "+025.30"},  // thermocouple J: -210 to 760
      {"mx43120", "MX-43120", "%01010F0600", 1000.5, 8, 7, "+1000.5"},  // K: -270 to 1372
      {"mx43120h", "MX-43120N", "%01010F0600", -25.3, 10, 7, "-025.30"},  // channel types stay J
      {"mx2430", "N-2430Q", "%0101080600", 7.25, 1, 7, "+07.250"},
      {"mx43150", "MX-43150", "%0101080603", 1.5, 8, 9, "+01.50000"},
      {"mx2470", "N-2470", "%0101080602", 10, 8, 4, "7FFF"},
      {"mx43610", "MX-43610H", "%0101080603", 1.5, 6, 7, "+01.500"},
  };
  for (const ReadCase& c : cases) {
    TestBus t;
    t.Add(c.driver, 1, c.model);
    ASSERT_EQ(t.Ask(c.configuration), "!01") << c.driver;
    unsigned channel = c.channels - 1;
    ASSERT_TRUE(t.bus.PinAnalogInput(1, channel, c.value));
    std::string reply = t.Ask("#01");
    SCOPED_TRACE(std::string(c.driver) + " " + c.configuration + " " + reply);
    ASSERT_EQ(reply.size(), 1 + c.channels * c.width);
    EXPECT_EQ(reply[0], '>');
    EXPECT_EQ(Field(reply, channel, c.width), c.field);
  }
}

TEST(AnalogRead, ValuesMoveWithinTheirRange) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  t.Add("mx43120", 2, "MX-43120");
  std::vector<double> low(16, 1e9), high(16, -1e9);
  for (int step = 0; step < 200; ++step, t.now += 97) {
    for (unsigned module = 0; module < 2; ++module) {
      std::string reply = t.Ask(module == 0 ? "#01" : "#02");
      for (unsigned channel = 0; channel < 8; ++channel) {
        double value = FieldValue(reply, channel, 7);
        low[module * 8 + channel] = std::min(low[module * 8 + channel], value);
        high[module * 8 + channel] = std::max(high[module * 8 + channel], value);
      }
    }
  }
  for (unsigned channel = 0; channel < 8; ++channel) {
    EXPECT_GE(low[channel], -10.0);
    EXPECT_LE(high[channel], 10.0);
    EXPECT_GT(high[channel] - low[channel], 5.0) << "channel " << channel;
    EXPECT_GE(low[8 + channel], -210.0);  // thermocouple J
    EXPECT_LE(high[8 + channel], 760.0);
    EXPECT_GT(high[8 + channel] - low[8 + channel], 300.0) << "channel " << channel;
  }
}

TEST(AnalogRead, ChannelTypesArePerChannelWhereTheFamilyHasThem) {
  TestBus t;
  t.Add("mx43120h", 1, "MX-43120N");
  EXPECT_EQ(t.Ask("$017C3R0F"), "!01");
  EXPECT_EQ(t.Ask("$017C9R07"), "!01");
  for (const char* bad : {"$017CAR07", "$017C3R0f", "$017C3X0F", "$017C3R0", "$017C3R0FF"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;
  }
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_EQ(snapshot.analogInputs[3].type, "0F");
  EXPECT_EQ(snapshot.analogInputs[9].type, "07");
  EXPECT_EQ(snapshot.analogInputs[0].type, "0E");
  EXPECT_GE(snapshot.analogInputs[9].value, 4.0);  // 4-20 mA now
  EXPECT_LE(snapshot.analogInputs[9].value, 20.0);
}

TEST(MinMax, RecordsUntilClearedPerChannel) {
  TestBus t;
  t.Add("mx43120", 1, "MX-43120");  // recording from power-on
  t.bus.PinAnalogInput(1, 0, 10.0);
  EXPECT_EQ(t.Ask("@01CH0"), "!01");
  EXPECT_EQ(t.Ask("@01CL0"), "!01");
  t.now += 100;
  for (double value : {30.0, 20.0}) t.bus.PinAnalogInput(1, 0, value);  // recorded as soon as present
  EXPECT_EQ(Field(t.Ask("@01RH"), 0, 7), "+030.00");
  EXPECT_EQ(Field(t.Ask("@01RL"), 0, 7), "+010.00");
  EXPECT_EQ(t.Ask("@01CH0"), "!01");
  EXPECT_EQ(Field(t.Ask("@01RH"), 0, 7), "+020.00");  // restarts from the present value
  EXPECT_EQ(Field(t.Ask("@01RL"), 0, 7), "+010.00");
  EXPECT_EQ(t.Ask("@01CL0"), "!01");
  t.bus.PinAnalogInput(1, 0, 15.0);
  EXPECT_EQ(Field(t.Ask("@01RL"), 0, 7), "+015.00");
  EXPECT_EQ(Field(t.Ask("@01RH"), 0, 7), "+020.00");
  EXPECT_EQ(t.Ask("@01CH8"), "?01");
  EXPECT_EQ(t.Ask("@01CX0"), "?01");
}

TEST(MinMax, TenChannelModelAnswersTenFields) {
  TestBus t;
  t.Add("mx43120h", 1, "MX-43120N");
  EXPECT_EQ(t.Ask("@01RH").size(), 1u + 10 * 7);
  EXPECT_EQ(t.Ask("@01RL").size(), 1u + 10 * 7);
  EXPECT_EQ(t.Ask("@01CH9"), "!01");
}

TEST(ColdJunction, ReadEnableAndOffsets) {
  TestBus t;
  t.Add("mx43120", 1, "MX-43120");
  std::string reply = t.Ask("$013");
  ASSERT_EQ(reply.size(), 8u);
  EXPECT_NEAR(FieldValue(reply, 0, 7), 25.0, 1.6);
  EXPECT_EQ(t.Ask("~01C0"), "!01");
  EXPECT_FALSE(t.Snap(1).cjcEnabled);
  EXPECT_EQ(t.Ask("~01C1"), "!01");
  EXPECT_TRUE(t.Snap(1).cjcEnabled);
  EXPECT_EQ(t.Ask("~01C2"), "?01");

  EXPECT_EQ(t.Ask("$019+0014C3"), "!01");
  EXPECT_EQ(t.Ask("$019-007FC7"), "!01");
  EXPECT_EQ(t.Ask("$019-0000C0"), "!01");
  for (const char* bad : {"$019+0080C0", "$019+0014C8", "$019*0014C3", "$019+0014X3", "$019+0014"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;  // beyond 12.7 degrees, channel 8, no sign, no C, module form
  }
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[3].cjcOffset, 2.0);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[7].cjcOffset, -12.7);
}

TEST(ColdJunction, ModuleOffsetInHundredths) {
  TestBus t;
  t.Add("mx43120t", 1, "MX-43120T");
  EXPECT_EQ(t.Ask("$019+7530"), "!01");
  EXPECT_DOUBLE_EQ(t.Snap(1).moduleCjcOffset, 300.0);
  EXPECT_EQ(t.Ask("$019-FFFF"), "!01");
  EXPECT_DOUBLE_EQ(t.Snap(1).moduleCjcOffset, -655.35);
  EXPECT_EQ(t.Ask("$019+75300"), "?01");
}

TEST(TemperatureSettings, TwosComplementTenths) {
  TestBus t;
  t.Add("mx43130", 1, "MX-43130T");
  EXPECT_EQ(t.Ask("@01A2C3T19"), "!01");
  EXPECT_EQ(t.Ask("@01A2C0T80"), "!01");
  EXPECT_EQ(t.Ask("@01A2C7TF6"), "!01");
  for (const char* bad : {"@01A2C8T00", "@01A2C0X00", "@01A2C0T0", "@01A2C0Tf6"}) EXPECT_EQ(t.Ask(bad), "?01") << bad;
  EXPECT_EQ(t.Ask("$019+0005C1"), "!01");  // channel offsets too
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[3].temperatureSetting, 2.5);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[0].temperatureSetting, -12.8);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[7].temperatureSetting, -1.0);
  EXPECT_DOUBLE_EQ(snapshot.analogInputs[1].cjcOffset, 0.5);
}

TEST(Led, ModeAndSevenCharacterValue) {
  TestBus t;
  t.Add("mx2430", 1, "N-2430Q");
  EXPECT_EQ(t.Snap(1).ledMode, '1');
  EXPECT_EQ(t.Ask("$0182"), "!01");
  EXPECT_EQ(t.Ask("$019+12.345"), "!01");
  EXPECT_DOUBLE_EQ(t.Snap(1).ledValue, 12.345);
  EXPECT_EQ(t.Ask("$019-1.2500"), "!01");
  EXPECT_DOUBLE_EQ(t.Snap(1).ledValue, -1.25);
  for (const char* bad : {"$019+100.00", "$019+1.5", "$019+1.50000", "$019+1.5E00", "$018"}) {
    EXPECT_EQ(t.Ask(bad), "?01") << bad;
  }
  EXPECT_EQ(t.Snap(1).ledMode, '2');
  EXPECT_DOUBLE_EQ(t.Snap(1).ledValue, -1.25);
}

}  // namespace
}  // namespace sim::test
