// Digital modules: the bank read layouts of each family, writes kept and
// read back, counters that count and clear, stored power-on and safe
// patterns; and the port form of the mixed module.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace sim::test {
namespace {

void PinInputs(TestBus& t, unsigned address, unsigned count, std::uint32_t levels) {
  for (unsigned channel = 0; channel < count; ++channel) {
    ASSERT_TRUE(t.bus.PinDigitalInput(address, channel, (levels >> channel & 1u) != 0));
  }
}

struct LayoutCase {
  const char* driver;
  const char* model;
  unsigned inputs;
  std::uint32_t inputLevels;
  const char* write;  // nullptr: no outputs
  const char* read;
};

TEST(BankRead, PutsInputsAndOutputsWhereEachFamilyHasThem) {
  const LayoutCase cases[] = {
      {"mx43dio", "MX-43550", 8, 0x0F, "@02A5", ">A50F"},
      {"mx43dio", "MX-43530", 4, 0x5, "@023", ">0035"},
      {"mx43dio", "MX-43560", 16, 0x1234, "@02ABCD", ">ABCD1234"},
      {"mx43di", "MX-43716", 8, 0x5A, nullptr, ">5A00"},
      {"mx43di", "MX-43714-BD2", 8, 0x81, nullptr, ">8100"},
      {"mx43di", "MX-43720", 16, 0x1234, nullptr, ">1234"},
      {"mx43di", "MX-43722", 32, 0x80000001, nullptr, ">80000001"},
      {"mx43do", "MX-43816", 0, 0, "@02A5", ">A5"},
      {"mx43do", "MX-43826", 0, 0, "@02ABCD", ">ABCD"},
      {"mx43do", "MX-43824", 0, 0, "@02FFFFFFFF", ">FFFFFFFF"},
  };
  for (const LayoutCase& c : cases) {
    TestBus t;
    t.Add(c.driver, 2, c.model);
    SCOPED_TRACE(std::string(c.driver) + " " + c.model);
    PinInputs(t, 2, c.inputs, c.inputLevels);
    if (c.write) {
      EXPECT_EQ(t.Ask(c.write), ">");
    }
    EXPECT_EQ(t.Ask("@02"), c.read);
  }
}

TEST(BankWrite, TakesExactlyOneDigitPerFourOutputs) {
  struct Case {
    const char* model;
    const char* write;
    const char* reply;
  } cases[] = {
      {"MX-43816", "@02A", "?02"},     {"MX-43816", "@02A5A", "?02"}, {"MX-43816", "@02a5", "?02"},
      {"MX-43816", "@02G0", "?02"},    {"MX-43826", "@0200FF", ">"},  {"MX-43826", "@0200FF0", "?02"},
      {"MX-43824", "@0212345678", ">"}, {"MX-43824", "@021234567", "?02"},
  };
  for (const Case& c : cases) {
    TestBus t;
    t.Add("mx43do", 2, c.model);
    EXPECT_EQ(t.Ask(c.write), c.reply) << c.model << " " << c.write;
  }
  TestBus small;
  small.Add("mx43dio", 2, "MX-43530");
  EXPECT_EQ(small.Ask("@02F"), ">");
  EXPECT_EQ(small.Ask("@0210"), "?02");
  EXPECT_EQ(small.bus.DigitalOutput(2, 3), true);
  EXPECT_EQ(small.bus.DigitalOutput(2, 4), std::nullopt);
}

TEST(BankCounters, CountRisingEdgesAndClear) {
  TestBus t;
  t.Add("mx43dio", 2, "MX-43550");
  for (bool level : {true, false, true, true, false, true}) t.bus.PinDigitalInput(2, 0, level);
  EXPECT_EQ(t.Ask("#020"), "!0200003");
  EXPECT_EQ(t.Ask("$02C0"), "!02");
  EXPECT_EQ(t.Ask("#020"), "!0200000");
  t.bus.PinDigitalInput(2, 0, false);
  t.bus.PinDigitalInput(2, 0, true);
  EXPECT_EQ(t.Ask("#020"), "!0200001");
  for (const char* bad : {"#028", "#02", "#0200", "$02C8", "$02C"}) EXPECT_EQ(t.Ask(bad), "?02") << bad;
}

TEST(BankCounters, CountTheMovingInputsOverTime) {
  TestBus t;
  t.Add("mx43di", 2, "MX-43716");
  std::uint32_t last = 0;
  for (int step = 0; step < 5; ++step) {
    t.now += 1000;
    std::string reply = t.Ask("#020");
    ASSERT_EQ(reply.size(), 8u);
    std::uint32_t count = static_cast<std::uint32_t>(std::stoul(reply.substr(3), nullptr, 16));
    EXPECT_GT(count, last);
    last = count;
  }
}

TEST(BankCounters, ChannelDigitsFollowTheModelSize) {
  TestBus t;
  t.Add("mx43di", 1, "MX-43722");  // 32 inputs: two digits
  t.Add("mx43di", 2, "MX-43720");  // 16 inputs: one digit
  EXPECT_EQ(t.Ask("#0100").substr(0, 3), "!01");
  EXPECT_EQ(t.Ask("#011F").substr(0, 3), "!01");
  EXPECT_EQ(t.Ask("$01C1F"), "!01");
  EXPECT_EQ(t.Ask("#010"), "?01");
  EXPECT_EQ(t.Ask("#0120"), "?01");
  EXPECT_EQ(t.Ask("#02A").substr(0, 3), "!02");
  EXPECT_EQ(t.Ask("$02CA"), "!02");
  EXPECT_EQ(t.Ask("#020A"), "?02");
}

TEST(BankOutputs, StoredPatternsForPowerOnAndSafeState) {
  TestBus t;
  t.Add("mx43dio", 2, "MX-43550");
  EXPECT_EQ(t.Ask("@0201"), ">");
  EXPECT_EQ(t.Ask("~025S"), "!02");
  EXPECT_EQ(t.Ask("@0202"), ">");
  EXPECT_EQ(t.Ask("~025P"), "!02");
  EXPECT_EQ(t.Ask("~025X"), "?02");
  EXPECT_EQ(t.Ask("@0203"), ">");
  ModuleSnapshot snapshot = t.Snap(2);
  EXPECT_EQ(snapshot.safePattern, 0x01u);
  EXPECT_EQ(snapshot.powerOnPattern, 0x02u);
  t.bus.PowerCycle(2, 0);
  EXPECT_EQ(t.Ask("@02").substr(0, 3), ">02");
  EXPECT_EQ(t.Ask("~023101"), "!02");
  t.now += 101;
  EXPECT_EQ(t.Ask("@02").substr(0, 3), ">01");
}

TEST(PortDigital, OutputsDefaultsAndCounters) {
  TestBus t;
  t.Add("mx43610", 1, "MX-43610H");
  PinInputs(t, 1, 2, 0x2);
  EXPECT_EQ(t.Ask("@01DO03"), ">");
  EXPECT_EQ(t.Ask("@01DI"), "!010302");
  EXPECT_EQ(t.Ask("@01DO04"), "?01");
  EXPECT_EQ(t.Ask("@01DO3"), "?01");
  EXPECT_EQ(t.Ask("~0150100"), "!01");
  EXPECT_EQ(t.Ask("~0150400"), "?01");
  ModuleSnapshot snapshot = t.Snap(1);
  EXPECT_EQ(snapshot.powerOnPattern, 0x01u);
  EXPECT_EQ(snapshot.safePattern, 0x00u);

  t.bus.PinDigitalInput(1, 0, true);
  t.bus.PinDigitalInput(1, 0, false);
  t.bus.PinDigitalInput(1, 0, true);
  EXPECT_EQ(t.Ask("@01REC0"), "!0100000002");
  EXPECT_EQ(t.Ask("@01CEC0"), "!01");
  EXPECT_EQ(t.Ask("@01REC0"), "!0100000000");
  EXPECT_EQ(t.Ask("@01REC2"), "?01");
  EXPECT_EQ(t.Ask("@01CEC2"), "?01");
}

TEST(PortDigital, ModulesWithoutInputsHaveNoCounters) {
  TestBus t;
  t.Add("mx43150", 1, "MX-43150");
  EXPECT_EQ(t.Ask("@01DOFF"), ">");
  EXPECT_EQ(t.Ask("@01DI"), "!01FF00");
  EXPECT_EQ(t.Ask("@01REC0"), "?01");
}

}  // namespace
}  // namespace sim::test
