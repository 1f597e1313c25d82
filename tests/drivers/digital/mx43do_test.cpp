// mx43do end to end: the offline pass, word widths, the read-back, and
// continuous mode, where the module is exchanged only when an output changed
// or a write is still unanswered.
#include <gtest/gtest.h>

#include "drivers/digital/digital_rig.h"

namespace {

using digitaltest::OfflineControlRequests;
using digitaltest::Requests;
using digitaltest::Rig;
using drivertest::Concat;

TEST(Mx43do, FirstScanStoresThePatternsReadsBackAndWrites) {
  for (bool keepDefaults : {false, true}) {
    for (bool checksum : {false, true}) {
      SCOPED_TRACE(std::string(keepDefaults ? "keep defaults" : "store defaults") +
                   (checksum ? ", checksum on" : ", checksum off"));
      Rig rig("mx43do", "MX-43826");
      rig.Bool("DO 0", "1,1");
      rig.Bool("DO 9", "0,1");
      rig.Set(rig.Bool("DO 15", "1"), true);
      rig.Start("43826", keepDefaults ? digitaltest::kKeepDefaults : 0, checksum);
      rig.bus.On("@01", ">0000");

      Requests expected = OfflineControlRequests();
      if (!keepDefaults) expected = Concat(expected, {"@010201", "~015S", "@018001", "~015P"});
      expected = Concat(expected, {"@01", "@018000"});
      auto scan = rig.Scan();
      EXPECT_EQ(host::ScanRunner::Requests(scan), expected);
      for (const auto& exchange : scan) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    }
  }
}

TEST(Mx43do, WideModelsWriteEightDigits) {
  Rig rig("mx43do", "MX-43824", "Periodic,100,1000,0,3");
  std::vector<host::Var> outputs;
  for (int i = 0; i < 32; ++i) outputs.push_back(rig.Bool("DO " + std::to_string(i)));
  rig.Start("43824");
  rig.Set(outputs[31], true);
  EXPECT_EQ(rig.ScanRequests(), Requests{"@0180000000"});
  for (const host::Var& output : outputs) rig.Set(output, true);
  EXPECT_EQ(rig.ScanRequests(), Requests{"@01FFFFFFFF"}) << "periodic mode writes at every scan";
}

// The outputs are the low bits of the state word; what the read-back finds
// needs no write once online.
TEST(Mx43do, ReadBackBecomesTheLastValues) {
  struct Case {
    const char* reply;
    bool due;
  };
  const Case cases[] = {{">A5", false}, {">00A5", false}, {">A500", true}, {">5", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    Rig rig("mx43do", "MX-43814");
    for (int i = 0; i < 8; ++i) rig.Set(rig.Bool("DO " + std::to_string(i)), ((0xA5 >> i) & 1) != 0);
    rig.Start("43814", digitaltest::kKeepDefaults);
    rig.bus.On("@01", c.reply);
    rig.Scan();
    const Requests expected = c.due ? Requests{"@01A5"} : Requests{};
    EXPECT_EQ(rig.ScanRequestsIfDue(), expected);
  }
}

TEST(Mx43do, ContinuousModeExchangesOnlyWhenAnOutputChanges) {
  Rig rig("mx43do", "MX-43814");
  host::Var do0 = rig.Bool("DO 0");
  rig.Start("43814");
  EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{});
  const bool values[] = {true, true, false};
  const Requests expected[] = {{"@0101"}, {}, {"@0100"}};
  for (int scan = 0; scan < 3; ++scan) {
    rig.Set(do0, values[scan]);
    EXPECT_EQ(rig.ScanRequestsIfDue(), expected[scan]) << "scan " << scan;
  }
}

// A write the module did not answer stays due until it is answered; one the
// module refused waits for the next change.
TEST(Mx43do, UnansweredWriteIsRepeatedUntilAnswered) {
  struct Case {
    const char* what;
    std::string bytes;  // empty: no reply at all
    bool checksum;
    bool repeated;
  };
  const Case cases[] = {
      {"no reply", "", false, true},
      {"no carriage return", ">", false, true},
      {"wrong address", "!02\r", false, true},
      {"checksum error", ">00\r", true, true},
      {"refused", "?01\r", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig("mx43do", "MX-43814");
    host::Var do0 = rig.Bool("DO 0");
    rig.Start("43814", drivertest::kStartOnline, c.checksum);
    rig.Set(do0, true);
    if (c.bytes.empty()) {
      rig.bus.Silent("@0101");
    } else {
      rig.bus.OnRaw("@0101", c.bytes);
    }
    auto failed = rig.Scan();
    ASSERT_EQ(host::ScanRunner::Requests(failed), Requests{"@0101"});
    EXPECT_NE(failed[0].status, hostabi::kReplyOk);

    rig.bus.On("@0101", ">");
    EXPECT_EQ(rig.ScanRequestsIfDue(), c.repeated ? Requests{"@0101"} : Requests{});
    EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{});
    rig.Set(do0, false);
    EXPECT_EQ(rig.ScanRequestsIfDue(), Requests{"@0100"});
  }
}

}  // namespace
