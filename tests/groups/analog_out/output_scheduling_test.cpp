// When the analog output group queues its commands: the mixed module's
// per-channel start-up order and write-on-change rule, and writes that stay
// due until the module answers them, in every variant.
#include <gtest/gtest.h>

#include "tests/groups/analog_out/output_group_harness.h"

namespace rio {
namespace {

using testing_outputs::kContinuousOnline;
using testing_outputs::kOffline;
using testing_outputs::kOtherModesOnline;
using testing_outputs::Mode;
using testing_outputs::OutputGroupHarness;
using Requests = std::vector<std::string>;

TEST(MixedModuleOutputs, OfflinePassesSendTypeSafePowerOnPerChannelThenEachWriteOnce) {
  OutputGroupHarness h(kMx43610Outputs, "00,Continuous,0,2");
  // Added out of order, with a channel the module does not have.
  host::Var ao1 = h.AddOutput("AO 1", "34,0,-10,10,1,-1");
  h.AddOutput("AO 2", "30,0,0,10,1,1");
  host::Var ao0 = h.AddOutput("AO 0", "30,1,0,10,2.5,0");
  h.tree.Set<float>(ao1, 3.0f);
  h.Start();
  const Requests startup = {"$0190301", "~016S00", "~016P02.5", "$0191340", "~016S1-1", "~016P11",
                            "#010+00.000", "#011+3.0000"};
  EXPECT_EQ(h.Pass(kOffline), startup);
  EXPECT_EQ(h.Pass(kOffline), startup) << "repeated while the module stays offline";
  EXPECT_EQ(h.Pass(kOtherModesOnline), Requests{});
  h.tree.Set<float>(ao0, 1.0f);
  EXPECT_EQ(h.Pass(kOtherModesOnline), Requests{"#010+01.000"});
}

TEST(MixedModuleOutputs, ChannelsWithoutNodeGetNoCommands) {
  OutputGroupHarness h(kMx43610Outputs, "00,Continuous,0,2");
  h.AddOutput("AO 1", "31,2,0,10,4,3");
  h.Start();
  EXPECT_EQ(h.Pass(kOffline), (Requests{"$0191312", "~016S13", "~016P14", "#011+00.000"}));
}

TEST(MixedModuleOutputs, OnlineWritesOnlyChangedOutputsInEveryMode) {
  for (const Mode* mode : {&kContinuousOnline, &kOtherModesOnline}) {
    SCOPED_TRACE(mode->name);
    OutputGroupHarness h(kMx43610Outputs, "00,Continuous,0,2");
    host::Var ao0 = h.AddOutput("AO 0", "30,0,-10,10,0,0");
    host::Var ao1 = h.AddOutput("AO 1", "30,0,-10,10,0,0");
    h.Start(kFlagStartOnline);
    // Started online: 0.0 counts as sent already.
    EXPECT_EQ(h.group.IsTriggered(), 0);
    EXPECT_EQ(h.Pass(*mode), Requests{});
    h.tree.Set<float>(ao1, 2.0f);
    EXPECT_EQ(h.group.IsTriggered(), 1);
    EXPECT_EQ(h.group.IsTriggered(), 1) << "asking does not mark the value sent";
    EXPECT_EQ(h.Pass(*mode), Requests{"#011+02.000"});
    EXPECT_EQ(h.group.IsTriggered(), 0);
    EXPECT_EQ(h.Pass(*mode), Requests{});
    // Bytewise comparison: -0.0 differs from 0.0.
    h.tree.Set<float>(ao0, -0.0f);
    EXPECT_EQ(h.Pass(*mode), Requests{"#010-00.000"});
    // A value beyond the limit that limits to the value last sent is no change.
    h.tree.Set<float>(ao1, 10.0f);
    EXPECT_EQ(h.Pass(*mode), Requests{"#011+10.000"});
    h.tree.Set<float>(ao1, 99.0f);
    EXPECT_EQ(h.Pass(*mode), Requests{});
  }
}

// How the module answers a write, and whether the write is due again.
struct ReplyCase {
  const char* name;
  std::string bytes;  // empty: no reply at all
  bool dueAgain;
};

std::vector<ReplyCase> ReplyCases(const host::Responder& bus) {
  return {
      {"no reply", "", true},
      {"no carriage return", "!01", true},
      {"wrong address echo", bus.Frame("!02"), true},
      {"checksum error", "!0100\r", true},
      {"refused", bus.Frame("?01"), false},
      {"accepted", bus.Frame("!01"), false},
      {"accepted without echo", bus.Frame(">"), false},
  };
}

TEST(AnalogOutputRetries, UnansweredWritesStayDueUntilTheModuleAnswers) {
  for (const AnalogOutputVariant* variant : {&kMx43610Outputs, &kMx43220Outputs, &kMx43280Outputs}) {
    for (const ReplyCase& c : ReplyCases(host::Responder(true))) {
      SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(variant->channelCount) + " channels");
      OutputGroupHarness h(*variant, "02,Continuous,0,2");
      host::Var ao0 = h.AddOutput("AO 0", "0,0,0,10,0,0", host::kTypeUInt32);
      h.AddOutput("AO 1", "0,0,0,10,0,0", host::kTypeUInt32);
      h.Start(kFlagStartOnline, true);
      h.tree.Set<std::uint32_t>(ao0, 0xABC);
      if (c.bytes.empty()) {
        h.bus.Silent("#010ABC");
      } else {
        h.bus.OnRaw("#010ABC", c.bytes);
      }
      EXPECT_EQ(h.Pass(kContinuousOnline), Requests{"#010ABC"});
      h.bus.Forget("#010ABC");
      EXPECT_EQ(h.group.IsTriggered(), c.dueAgain ? 1 : 0);
      EXPECT_EQ(h.Pass(kContinuousOnline), c.dueAgain ? Requests{"#010ABC"} : Requests{});
      EXPECT_EQ(h.group.IsTriggered(), 0) << "answered now";
      EXPECT_EQ(h.Pass(kContinuousOnline), Requests{});
    }
  }
}

TEST(AnalogOutputRetries, WritesDroppedWithTheQueueStayDue) {
  OutputGroupHarness h(kMx43610Outputs, "00,Continuous,0,2");
  host::Var ao0 = h.AddOutput("AO 0", "30,0,0,10,0,0");
  h.Start(kFlagStartOnline);
  h.tree.Set<float>(ao0, 4.0f);
  EXPECT_EQ(h.Schedule(kContinuousOnline).size(), 1U) << "queued, then dropped unsent";
  EXPECT_EQ(h.group.IsTriggered(), 1);
  EXPECT_EQ(h.Pass(kOtherModesOnline), Requests{"#010+04.000"});
  EXPECT_EQ(h.Pass(kOtherModesOnline), Requests{});
}

// A due write is queued again once: no pass holds more writes of a channel
// than the variant queues anyway (one for the mixed module, two for the
// others while offline).
TEST(AnalogOutputRetries, DueWritesAreNotQueuedTwiceInOnePass) {
  struct Case {
    const AnalogOutputVariant* variant;
    const Mode* mode;
    std::size_t writes;
  };
  const Case cases[] = {
      {&kMx43610Outputs, &kOffline, 1},          {&kMx43610Outputs, &kContinuousOnline, 1},
      {&kMx43610Outputs, &kOtherModesOnline, 1}, {&kMx43220Outputs, &kOffline, 2},
      {&kMx43220Outputs, &kContinuousOnline, 1}, {&kMx43220Outputs, &kOtherModesOnline, 1},
      {&kMx43280Outputs, &kOffline, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.mode->name) + ", " + std::to_string(c.variant->channelCount) + " channels");
    OutputGroupHarness h(*c.variant, "00,Continuous,0,2");
    h.tree.Set<float>(h.AddOutput("AO 0", "30,0,0,10,0,0"), 4.0f);
    h.Start(kFlagStartOnline);
    h.bus.Silent("#010+04.000");
    h.bus.Silent("#01004.000");
    h.Pass(kContinuousOnline);  // the write goes unanswered
    std::size_t writes = 0;
    for (const std::string& request : h.Pass(*c.mode)) {
      writes += request == "#010+04.000" || request == "#01004.000" ? 1 : 0;
    }
    EXPECT_EQ(writes, c.writes);
  }
}

}  // namespace
}  // namespace rio
