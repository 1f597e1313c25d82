// mx43di end to end: the input byte of the 8-input models, replies too short
// for the inputs, counters with one and two channel digits, and continuous
// scanning.
#include <gtest/gtest.h>

#include "drivers/digital/digital_rig.h"

namespace {

using digitaltest::OfflineControlRequests;
using digitaltest::Requests;
using digitaltest::Rig;
using drivertest::Concat;

// Eight inputs DI 0 to DI 7 of an 8-input model, all preset to on.
struct EightInputs {
  explicit EightInputs(bool checksum = false) {
    for (int i = 0; i < 8; ++i) {
      inputs.push_back(rig.Bool("DI " + std::to_string(i)));
      rig.Set(inputs.back(), true);
    }
    rig.Start("43716", drivertest::kStartOnline, checksum);
  }
  std::uint32_t States() const {
    std::uint32_t states = 0;
    for (int i = 0; i < 8; ++i) states |= (rig.Get(inputs[i]) ? 1U : 0U) << i;
    return states;
  }
  Rig rig{"mx43di", "MX-43716"};
  std::vector<host::Var> inputs;
};

TEST(Mx43di, EightInputModelsReadTheSecondByte) {
  EightInputs module;
  module.rig.bus.On("@01", ">5A00");
  auto scan = module.rig.Scan();
  ASSERT_EQ(host::ScanRunner::Requests(scan), Requests{"@01"});
  EXPECT_EQ(scan[0].status, hostabi::kReplyOk);
  EXPECT_EQ(module.States(), 0x5AU);
}

// Bits 8 to 15 need four digits: a shorter word would read as inputs off.
TEST(Mx43di, RepliesThatCannotCarryTheInputsWriteNothing) {
  for (bool checksum : {false, true}) {
    EightInputs module(checksum);
    host::Responder& bus = module.rig.bus;
    struct Case {
      std::string bytes;
      std::uint32_t status;
    };
    const Case cases[] = {
        {bus.Frame(">5A"), hostabi::kReplyInvalid},
        {bus.Frame(">5A0"), hostabi::kReplyInvalid},
        {bus.Frame(">"), hostabi::kReplyInvalid},
        {bus.Frame(">5A0G"), hostabi::kReplyInvalid},
        {bus.Frame("!025A00"), hostabi::kReplyInvalid},
    };
    for (const Case& c : cases) {
      bus.OnRaw("@01", c.bytes);
      EXPECT_EQ(module.rig.Scan().at(0).status, c.status) << c.bytes;
      EXPECT_EQ(module.States(), 0xFFU) << c.bytes;
      bus.On("@01", ">FF00");  // one good exchange keeps the module online
      module.rig.Scan();
    }
    if (checksum) {
      bus.OnRaw("@01", ">5A0000\r");
      EXPECT_EQ(module.rig.Scan().at(0).status, hostabi::kReplyChecksumError);
      EXPECT_EQ(module.States(), 0xFFU);
    }
  }
}

TEST(Mx43di, ThirtyTwoInputModelsNumberCountersWithTwoDigits) {
  Rig rig("mx43di", "MX-43722");
  host::Var di0 = rig.Bool("DI 0", "E");
  host::Var di31 = rig.Bool("DI 31", "E");
  rig.Bool("DI 15", "Enable");
  host::Var counter31 = rig.tree.AddVariable("DI Counter 31", host::kTypeUInt32);
  rig.Set(rig.Bool("DI Reset 31"), true);
  rig.Start("43722");
  rig.bus.On("@01", ">80000001");
  rig.bus.On("#0100", "!0100000");
  rig.bus.On("#010F", "!0100000");
  rig.bus.On("#011F", "!01FFFFF");
  EXPECT_EQ(rig.ScanRequests(), (Requests{"@01", "#0100", "#010F", "$01C1F", "#011F"}));
  EXPECT_TRUE(rig.Get(di0));
  EXPECT_TRUE(rig.Get(di31));
  EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter31), 0xFFFFFU);
}

TEST(Mx43di, SixteenInputModelsNumberCountersWithOneDigitBelowSixteen) {
  Rig rig("mx43di", "MX-43718");
  rig.Bool("DI 10", "E");
  rig.Set(rig.Bool("DI Reset 10"), true);
  rig.Start("43718");
  rig.bus.On("@01", ">0000");
  rig.bus.On("#01A", "!0100000");
  EXPECT_EQ(rig.ScanRequests(), (Requests{"@01", "$01CA", "#01A"}));
}

// Only a first token that begins with a capital E asks for a counter; runs
// of commas are one separator.
TEST(Mx43di, CounterOptionIsTheFirstTokensCapitalE) {
  Rig rig("mx43di", "MX-43718");
  const char* params[] = {"E", "enable", "", "0,E", ",,Eh", "Enable,0"};
  for (int i = 0; i < 6; ++i) rig.Bool("DI " + std::to_string(i), params[i]);
  rig.Bool("DI 16", "E");  // beyond the model's inputs
  rig.Start("43718");
  rig.bus.On("@01", ">0000");
  rig.bus.SetFallback([](const std::string&) { return std::string("!0100000"); });
  EXPECT_EQ(rig.ScanRequests(), (Requests{"@01", "#010", "#014", "#015"}));
}

TEST(Mx43di, CounterRepliesThatCannotBeReadLeaveTheCounter) {
  for (bool checksum : {false, true}) {
    Rig rig("mx43di", "MX-43716");
    rig.Bool("DI 0", "E");
    host::Var counter = rig.tree.AddVariable("DI Counter 0", host::kTypeUInt32);
    rig.tree.Set<std::uint32_t>(counter, 7);
    rig.Start("43716", drivertest::kStartOnline, checksum);
    rig.bus.On("@01", ">0000");
    host::Responder& bus = rig.bus;
    struct Case {
      std::string bytes;
      std::uint32_t status;
    };
    std::vector<Case> cases = {
        {bus.Frame("!010012"), hostabi::kReplyInvalid},
        {bus.Frame("!01001G2"), hostabi::kReplyInvalid},
        {bus.Frame("!0200012"), hostabi::kReplyInvalid},
    };
    if (checksum) cases.push_back({"!010001200\r", hostabi::kReplyChecksumError});
    for (const Case& c : cases) {
      bus.OnRaw("#010", c.bytes);
      auto scan = rig.Scan();
      ASSERT_EQ(scan.size(), 2U);
      EXPECT_EQ(scan[1].status, c.status) << c.bytes;
      EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter), 7U) << c.bytes;
      bus.On("#010", "!0100007");
      rig.Scan();
    }
    bus.On("#010", "!0100012");
    rig.Scan();
    EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter), 0x12U);
  }
}

TEST(Mx43di, ContinuousModeExchangesAtEveryOpportunity) {
  // The output groups' option changes nothing here; the checksum only the framing.
  for (std::uint32_t flags : {0U, digitaltest::kKeepDefaults}) {
    for (bool checksum : {false, true}) {
      Rig rig("mx43di", "MX-43716");
      rig.Start("43716", flags, checksum);
      rig.bus.On("@01", ">0000");
      auto first = rig.runner.ScanIfDue(*rig.module, rig.bus);
      EXPECT_EQ(host::ScanRunner::Requests(first), Concat(OfflineControlRequests(), {"@01"}));
      for (const auto& exchange : first) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
      for (int i = 0; i < 3; ++i) EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{"@01"});
    }
  }
}

TEST(Mx43di, LaterChildOfANameWinsAndOtherNamesAreIgnored) {
  Rig rig("mx43di", "MX-43716");
  host::Var earlier = rig.Bool("DI 2");
  host::Var later = rig.Bool("DI 2");
  host::Var beyond = rig.Bool("DI 8");
  host::Var negative = rig.Bool("DI -5");
  host::Var counter = rig.Bool("DI Counter 0");
  rig.Start("43716");
  rig.bus.On("@01", ">FF00");
  rig.Scan();
  EXPECT_TRUE(rig.Get(later));
  EXPECT_FALSE(rig.Get(earlier));
  EXPECT_FALSE(rig.Get(beyond));
  EXPECT_FALSE(rig.Get(negative));
  EXPECT_FALSE(rig.Get(counter));
}

}  // namespace
