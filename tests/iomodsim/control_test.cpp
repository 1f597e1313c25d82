// The requests every family answers: name, configuration read and write,
// status reset and host watchdog; module creation; power cycles.
#include <gtest/gtest.h>

#include "sim_test_support.h"

namespace sim::test {
namespace {

TEST(Modules, AnswerTheNameQueryWithTheirModuleCode) {
  struct Case {
    const char* driver;
    const char* model;
    const char* reply;
  } cases[] = {
      {"mx43110", "MX-43110", "!0143110"},     {"mx43110tk", "MX-43110TK", "!0143110TK"},
      {"mx43120", "MX-43120", "!0143120"},     {"mx43120h", "MX-43120N", "!0143120N"},
      {"mx43120t", "MX-43120T", "!0143120T"},  {"mx43130", "MX-43130T", "!0143130T"},
      {"mx2430", "N-2430Q", "!012430Q"},       {"mx43220", "MX-43220", "!0143220"},
      {"mx43280", "MX-43280V", "!0143280V"},   {"mx43610", "mx-43610h", "!0143610H"},
      {"mx43150", "MX-43150", "!0143150"},     {"mx2470", "N-2470", "!012470"},
      {"mx43dio", "MX-43530", "!0143530"},     {"mx43di", "MX-43722H", "!0143722"},
      {"mx43di", "MX-43720", "!0143720X"},     {"mx43di", "MX-43714-BD2", "!0143714"},
      {"mx43do", "MX-43812-3B", "!0143812"},   {"mx43do", "", "!0143826"},  // no model: the first row
  };
  for (const Case& c : cases) {
    TestBus t;
    t.Add(c.driver, 1, c.model);
    EXPECT_EQ(t.Ask("$01M"), c.reply) << c.driver << " " << c.model;
  }
}

TEST(Modules, RefuseToBeCreatedWrongly) {
  Bus bus({});
  std::string error;
  EXPECT_TRUE(bus.AddModule({"mx43110", 1, "MX-43110"}, &error));
  EXPECT_FALSE(bus.AddModule({"mx9999", 2, ""}, &error));
  EXPECT_NE(error.find("mx9999"), std::string::npos);
  EXPECT_FALSE(bus.AddModule({"mx43110", 2, "MX-43120"}, &error));
  EXPECT_FALSE(bus.AddModule({"mx43110", 256, "MX-43110"}, &error));
  EXPECT_FALSE(bus.AddModule({"mx43do", 1, "MX-43810"}, &error));  // address in use
  EXPECT_NE(error.find("in use"), std::string::npos);
  EXPECT_FALSE(bus.Snapshot(2).has_value());
}

TEST(Modules, RefuseRequestsOfOtherFamilies) {
  struct Case {
    const char* driver;
    const char* model;
    const char* request;
  } cases[] = {
      {"mx43110", "MX-43110", "@01RH"},        // no min/max
      {"mx43120", "MX-43120", "$017C0R0E"},    // no channel types
      {"mx43130", "MX-43130T", "$013"},        // no cold-junction read
      {"mx43120t", "MX-43120T", "$019+0014C3"},  // one offset for the module, no channel form
      {"mx43610", "MX-43610H", "@01SAT71C1"},  // no coefficients
      {"mx43220", "MX-43220", "@01BB01"},      // no power-on mask
      {"mx43220", "MX-43220", "~016P0+1"},     // stores with $AA4/~AA5, not ~AA6
      {"mx43do", "MX-43816", "#010"},          // no counters
      {"mx43di", "MX-43716", "@0101"},         // no outputs
      {"mx43110", "MX-43110", "$01X"},
      {"mx43110", "MX-43110", "#010"},
  };
  for (const Case& c : cases) {
    TestBus t;
    t.Add(c.driver, 1, c.model);
    EXPECT_EQ(t.Ask(c.request), "?01") << c.driver << " " << c.request;
  }
}

TEST(Configuration, ReadShowsTypeBaudAndFormat) {
  BusOptions options;
  options.baud = 19200;
  options.checksum = true;
  TestBus t(options);
  t.Add("mx43110", 1, "MX-43110");
  t.Add("mx43dio", 2, "MX-43550");
  EXPECT_EQ(t.Ask("$012"), "!01080740");  // +-10 V, 19200 baud, checksum bit
  EXPECT_EQ(t.Ask("$022"), "!02400740");
}

TEST(Configuration, WriteSetsTypeAndDataFormat) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  ASSERT_TRUE(t.bus.PinAnalogInput(1, 0, 2.5));
  EXPECT_EQ(Field(t.Ask("#01"), 0, 7), "+02.500");
  EXPECT_EQ(t.Ask("%0101090602"), "!01");  // +-5 V, hexadecimal
  EXPECT_EQ(t.Ask("$012"), "!01090602");
  EXPECT_EQ(Field(t.Ask("#01"), 0, 4), "4000");  // half of +5 V
  EXPECT_EQ(t.Ask("%01010906A0"), "!01");  // bits 5 and 7 kept, data format back to engineering units
  EXPECT_EQ(t.Ask("$012"), "!010906A0");
  EXPECT_EQ(Field(t.Ask("#01"), 0, 7), "+2.5000");
}

TEST(Configuration, WriteRefusesBaudAndChecksumChangesAndMalformedFields) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  for (const char* request : {"%0101080500", "%0101080640", "%01010806", "%010108060G", "%01010806000"}) {
    EXPECT_EQ(t.Ask(request), "?01") << request;
  }
  EXPECT_EQ(t.Ask("$012"), "!01080600");
}

TEST(Configuration, WriteMovesTheModuleToAFreeAddress) {
  TestBus t;
  t.Add("mx43110", 1, "MX-43110");
  t.Add("mx43110", 2, "MX-43110");
  EXPECT_EQ(t.Ask("%0102080600"), "?01");  // taken
  EXPECT_EQ(t.Ask("%0105080600"), "!05");  // the reply comes from the new address
  EXPECT_EQ(t.Ask("$01M"), kNoReply);
  EXPECT_EQ(t.Ask("$05M"), "!0543110");
  EXPECT_EQ(t.Snap(5).address, 5u);
}

TEST(Watchdog, ExpiryPutsOutputsInTheirSafeStateUntilTheStatusReset) {
  TestBus t;
  t.Add("mx43do", 2, "MX-43816");
  EXPECT_EQ(t.Ask("@0281"), ">");
  EXPECT_EQ(t.Ask("~025S"), "!02");  // safe pattern 81
  EXPECT_EQ(t.Ask("@0203"), ">");
  EXPECT_EQ(t.Ask("~02310A"), "!02");  // 1.0 s
  EXPECT_EQ(t.Ask("~022"), "!0210A");
  t.now += 900;
  EXPECT_EQ(t.Ask("~020"), "!0200");  // polled in time: no expiry
  t.now += 900;
  EXPECT_EQ(t.bus.Respond("~**\r"), std::nullopt);  // "host alive" feeds it too
  t.now += 1001;
  EXPECT_TRUE(t.Snap(2).safeState);
  EXPECT_EQ(t.Ask("~020"), "!0204");
  EXPECT_EQ(t.Ask("@02"), ">81");
  EXPECT_EQ(t.Ask("@02FF"), "?02");  // writes refused while expired
  EXPECT_EQ(t.Ask("~021"), "!02");
  EXPECT_EQ(t.Ask("@02FF"), ">");
  EXPECT_EQ(t.Ask("@02"), ">FF");
}

TEST(Watchdog, DisabledOrZeroTimeoutNeverExpires) {
  TestBus t;
  t.Add("mx43do", 2, "MX-43816");
  EXPECT_EQ(t.Ask("~023000"), "!02");
  EXPECT_EQ(t.Ask("~023100"), "!02");
  EXPECT_EQ(t.Ask("~023264"), "?02");  // enable digit is 0 or 1
  t.now += 1000000;
  EXPECT_FALSE(t.Snap(2).safeState);
}

TEST(PowerCycle, SilentThenAnswersWithHostConfigurationForgotten) {
  TestBus t;
  t.Add("mx43610", 1, "MX-43610H");
  EXPECT_EQ(t.Ask("%0101080602"), "!01");
  EXPECT_EQ(t.Ask("$017C2R0D"), "!01");
  EXPECT_EQ(t.Ask("@01HI+05.000C2LO1"), "!01");
  EXPECT_EQ(t.Ask("$0190330"), "!01");   // output 0: +-10 V
  EXPECT_EQ(t.Ask("~016P01000"), "!01");  // power-on value, a hexadecimal code in data format 02
  EXPECT_EQ(t.Ask("#0107FFF"), ">");
  EXPECT_EQ(t.Ask("~0150201"), "!01");  // digital power-on 02, safe 01
  EXPECT_EQ(t.Ask("@01DO01"), ">");
  EXPECT_EQ(t.Ask("~01310A"), "!01");

  t.bus.PowerCycle(1, 500);
  t.now += 499;
  EXPECT_EQ(t.Ask("$01M"), kNoReply);
  EXPECT_TRUE(t.Snap(1).silent);
  t.now += 1;
  EXPECT_EQ(t.Ask("$012"), "!01080600");
  ModuleSnapshot after = t.Snap(1);
  EXPECT_EQ(after.analogInputs[2].type, "08");
  EXPECT_FALSE(after.analogInputs[2].high.enabled);
  EXPECT_FALSE(after.watchdogEnabled);
  EXPECT_EQ(after.analogOutputs[0].type, "32");
  EXPECT_NEAR(after.analogOutputs[0].powerOnValue, -10 + (0x1000 + 32768) * 20.0 / 65535, 1e-9);  // kept
  EXPECT_DOUBLE_EQ(after.analogOutputs[0].value, after.analogOutputs[0].powerOnValue);
  EXPECT_EQ(after.digitalOutputs, (std::vector<bool>{false, true}));
  EXPECT_EQ(t.bus.Statistics().silent, 1u);
}

}  // namespace
}  // namespace sim::test
