// mx43dio end to end: the offline pass, the state word split into inputs
// and outputs, continuous-mode writes, and counter clears on reset edges.
#include <gtest/gtest.h>

#include "drivers/digital/digital_rig.h"

namespace {

using digitaltest::OfflineControlRequests;
using digitaltest::Requests;
using digitaltest::Rig;
using drivertest::Concat;

TEST(Mx43dio, FirstScanStoresThePatternsReadsBackAndWrites) {
  for (bool keepDefaults : {false, true}) {
    for (bool checksum : {false, true}) {
      SCOPED_TRACE(std::string(keepDefaults ? "keep defaults" : "store defaults") +
                   (checksum ? ", checksum on" : ", checksum off"));
      Rig rig("mx43dio", "MX-43550");
      rig.Bool("DI 0", "E");
      rig.Bool("DO 0", "1,0");
      rig.Bool("DO 1", "0,1");
      rig.Set(rig.Bool("DO 2"), true);
      rig.Start("43550", keepDefaults ? digitaltest::kKeepDefaults : 0, checksum);
      rig.bus.On("@01", ">0000");
      rig.bus.On("#010", "!0100000");

      const Requests stores = {"@0102", "~015S", "@0101", "~015P"};
      Requests expected = Concat(OfflineControlRequests(), {"@01", "#010"});
      if (!keepDefaults) expected = Concat(expected, stores);
      expected = Concat(expected, {"@01", "@0104"});
      auto scan = rig.Scan();
      EXPECT_EQ(host::ScanRunner::Requests(scan), expected);
      for (const auto& exchange : scan) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    }
  }
}

// The inputs are the low n bits of the state word, the outputs the n bits
// above; the read-back becomes the group's last values, so outputs that
// already match it are not written again in continuous mode.
TEST(Mx43dio, StateWordCarriesInputsBelowOutputs) {
  struct Case {
    const char* model;
    const char* code;
    const char* reply;
    std::uint32_t inputs;   // expected input states, bit i = DI i
    std::uint32_t outputs;  // the module's output states, bit i = DO i
  };
  const Case cases[] = {
      {"MX-43530", "43530", ">0F03", 0x3, 0x0},
      {"MX-43530", "43530", ">A5", 0x5, 0xA},
      {"MX-43550", "43550", ">A50F", 0x0F, 0xA5},
      {"MX-43560", "43560", ">12345678", 0x5678, 0x1234},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.model) + " " + c.reply);
    Rig rig("mx43dio", c.model);
    std::vector<host::Var> inputs;
    for (int i = 0; i < 16; ++i) {
      inputs.push_back(rig.Bool("DI " + std::to_string(i)));
      rig.Set(rig.Bool("DO " + std::to_string(i)), ((c.outputs >> i) & 1U) != 0);
    }
    rig.Start(c.code, digitaltest::kKeepDefaults);
    rig.bus.On("@01", c.reply);
    rig.Scan();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(rig.Get(inputs[i]), ((c.inputs >> i) & 1U) != 0) << "DI " << i;
    EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{"@01"}) << "no write: the outputs match the read-back";
  }
}

// The read-back of 16 outputs needs all eight digits; the inputs only four.
TEST(Mx43dio, ShortStateWordFailsOnlyTheReadItCannotCarry) {
  Rig rig("mx43dio", "MX-43560");
  host::Var di0 = rig.Bool("DI 0");
  rig.Set(rig.Bool("DO 0"), true);
  rig.Start("43560", digitaltest::kKeepDefaults);
  rig.bus.On("@01", ">0001");
  auto scan = rig.Scan();
  ASSERT_EQ(host::ScanRunner::Requests(scan), Concat(OfflineControlRequests(), {"@01", "@01", "@010001"}));
  EXPECT_EQ(scan[5].status, hostabi::kReplyOk);
  EXPECT_TRUE(rig.Get(di0));
  EXPECT_EQ(scan[6].status, hostabi::kReplyInvalid);
  // The last values stayed all off, so DO 0 is written again once online.
  EXPECT_EQ(rig.ScanRequestsIfDue(), (Requests{"@01", "@010001"}));
}

TEST(Mx43dio, ContinuousModeReadsAlwaysAndWritesOnChange) {
  Rig rig("mx43dio", "MX-43530");
  host::Var do0 = rig.Bool("DO 0");
  rig.Start("43530");
  rig.bus.On("@01", ">00");
  EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{"@01"});
  rig.Set(do0, true);
  EXPECT_EQ(rig.ScanRequestsIfDue(), (Requests{"@01", "@011"}));
  EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{"@01"});
  rig.Set(do0, false);
  EXPECT_EQ(rig.ScanRequestsIfDue(), (Requests{"@01", "@010"}));
}

TEST(Mx43dio, CounterIsClearedOnceForEachRisingReset) {
  Rig rig("mx43dio", "MX-43530");
  rig.Bool("DI 1", "E");
  host::Var counter = rig.tree.AddVariable("DI Counter 1", host::kTypeUInt32);
  host::Var reset = rig.Bool("DI Reset 1");
  rig.Start("43530");
  rig.bus.On("@01", ">00");
  rig.bus.On("#011", "!01000FF");
  const bool levels[] = {false, true, true, false, true};
  const Requests plain = {"@01", "#011"};
  const Requests cleared = {"@01", "$01C1", "#011"};
  const Requests expected[] = {plain, cleared, plain, plain, cleared};
  for (int scan = 0; scan < 5; ++scan) {
    rig.Set(reset, levels[scan]);
    EXPECT_EQ(rig.ScanRequests(), expected[scan]) << "scan " << scan;
  }
  EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter), 0xFFU);
}

TEST(Mx43dio, ResetAlreadySetAtTheFirstScanClearsOnce) {
  Rig rig("mx43dio", "MX-43530");
  rig.Bool("DI 0", "E");
  rig.Set(rig.Bool("DI Reset 0"), true);
  rig.Start("43530", digitaltest::kKeepDefaults);
  rig.bus.On("@01", ">00");
  rig.bus.On("#010", "!0100000");
  EXPECT_EQ(rig.ScanRequests(), Concat(OfflineControlRequests(), {"@01", "$01C0", "#010", "@01", "@010"}));
  EXPECT_EQ(rig.ScanRequests(), (Requests{"@01", "#010"}));
}

}  // namespace
