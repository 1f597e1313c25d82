// The port groups of the mixed and alarm-input modules: the two port inputs
// with their counters, and the port outputs with 2, 6 or 8 channels, follow
// mode and the trigger that decides continuous-mode writes.
#include <gtest/gtest.h>

#include "groups/digital/port_input_group.h"
#include "groups/digital/port_output_group.h"
#include "tests/groups/digital/group_rig.h"

namespace rio {
namespace {

using digitaltest::GroupRig;
using digitaltest::Requests;

TEST(PortInputGroup, OfflineClearsEveryCounterBeforeTheRead) {
  PortInputGroup group;
  GroupRig rig(group);
  rig.Bool("DI 0", "E");
  rig.Bool("DI 1", "E");
  rig.Bool("DI 2", "E");  // the port has two inputs
  host::Var reset1 = rig.Bool("DI Reset 1");
  rig.Set(reset1, true);
  rig.Start();
  // Reset 1 already set: a second clear in the same pass, by its edge.
  EXPECT_EQ(rig.PassRequests(true),
            (Requests{"@01CEC0", "@01CEC1", "@01DI", "@01REC0", "@01CEC1", "@01REC1"}));
  EXPECT_EQ(rig.PassRequests(false), (Requests{"@01DI", "@01REC0", "@01REC1"}));
  rig.Set(reset1, false);
  rig.PassRequests(false);
  rig.Set(reset1, true);
  EXPECT_EQ(rig.PassRequests(false), (Requests{"@01DI", "@01REC0", "@01CEC1", "@01REC1"}));
  EXPECT_EQ(rig.PassRequests(true), (Requests{"@01CEC0", "@01CEC1", "@01DI", "@01REC0", "@01REC1"}))
      << "back from a loss: the counters are cleared again";
}

TEST(PortInputGroup, DecodesTheInputByteAndFullCounters) {
  for (bool checksum : {false, true}) {
    PortInputGroup group;
    GroupRig rig(group);
    host::Var di0 = rig.Bool("DI 0", "E");
    host::Var di1 = rig.Bool("DI 1");
    host::Var counter = rig.tree.AddVariable("DI Counter 0", host::kTypeUInt32);
    rig.Start(0, checksum);
    rig.Set(di0, true);
    rig.bus.On("@01DI", "!01FF02");  // outputs FF, inputs 02
    rig.bus.On("@01REC0", "!01FFFFFFFF");
    auto pass = rig.Pass(false);
    ASSERT_EQ(pass.size(), 2U);
    EXPECT_EQ(pass[0].status, ReplyOk);
    EXPECT_FALSE(rig.Get(di0));
    EXPECT_TRUE(rig.Get(di1));
    EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter), 0xFFFFFFFFU);

    // Too short for the input byte, or for all eight counter digits.
    rig.bus.On("@01DI", "!01FF0");
    rig.bus.On("@01REC0", "!01FFFF");
    pass = rig.Pass(false);
    EXPECT_EQ(pass[0].status, ReplyInvalid);
    EXPECT_EQ(pass[1].status, ReplyInvalid);
    EXPECT_TRUE(rig.Get(di1));
    EXPECT_EQ(rig.tree.Get<std::uint32_t>(counter), 0xFFFFFFFFU);
  }
}

TEST(PortOutputGroup, WritesItsChannelsAndStoresDefaultsOffline) {
  struct Case {
    std::uint32_t channels;
    const char* write;
    const char* defaults;
  };
  const Case cases[] = {
      {2, "@01DO03", "~0150102"},
      {6, "@01DO3F", "~0152132"},
      {8, "@01DOFF", "~015A132"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.channels);
    for (bool keepDefaults : {false, true}) {
      PortOutputGroup group(c.channels);
      GroupRig rig(group);
      // Power-on: channels 0, 5 and 7; safe: 1, 4 and 5.
      const char* params[] = {"1,0", "0,1", "", "0", "0,1", "1,1", "0", "1"};
      for (int i = 0; i < 10; ++i) rig.Set(rig.Bool("DO " + std::to_string(i), i < 8 ? params[i] : "1,1"), true);
      rig.Start(keepDefaults ? kFlagKeepDefaults : 0);
      const Requests offline = keepDefaults ? Requests{c.write} : Requests{c.defaults, c.write};
      EXPECT_EQ(rig.PassRequests(true), offline);
      EXPECT_EQ(rig.PassRequests(false), Requests{c.write}) << "written at every pass";
    }
  }
}

TEST(PortOutputGroup, FollowedChannelsAreReadBackNotWritten) {
  PortOutputGroup group(2);
  GroupRig rig(group);
  host::Var do0 = rig.Bool("DO 0");
  host::Var do1 = rig.Bool("DO 1", "0,0,E");
  rig.Set(do0, true);
  rig.Set(do1, true);
  rig.Start();
  rig.bus.On("@01DI", "!0102FF");  // outputs 02, inputs FF
  auto pass = rig.Pass(true);
  ASSERT_EQ(pass.size(), 3U);
  EXPECT_EQ(pass[0].request, "~0150000");
  EXPECT_EQ(pass[1].request, "@01DO01") << "mask FD: the followed output is never written";
  EXPECT_EQ(pass[2].request, "@01DI");
  EXPECT_EQ(pass[2].status, ReplyOk);
  EXPECT_TRUE(rig.Get(do1));

  rig.Set(do0, false);
  rig.bus.On("@01DI", "!0100FF");
  rig.Pass(false);
  EXPECT_FALSE(rig.Get(do1)) << "the output byte, not the input byte";
  rig.Set(do0, true);
  rig.bus.On("@01DI", "!0103FF");
  rig.Pass(false);
  EXPECT_TRUE(rig.Get(do0)) << "only followed channels are read back";
  EXPECT_TRUE(rig.Get(do1));
  EXPECT_EQ(group.IsTriggered(), 1) << "a followed channel may change at any time";

  rig.bus.On("@01DI", "!01");
  pass = rig.Pass(false);
  EXPECT_EQ(pass[1].status, ReplyInvalid) << "too short for the output byte";
  EXPECT_TRUE(rig.Get(do1));
}

TEST(PortOutputGroup, AllChannelsFollowingLeavesNoWrite) {
  PortOutputGroup group(2);
  GroupRig rig(group);
  rig.Bool("DO 0", "1,0,E");
  rig.Bool("DO 1", "0,1,Enable");
  rig.Start();
  rig.bus.On("@01DI", "!010000");
  EXPECT_EQ(rig.PassRequests(true), (Requests{"~0150102", "@01DI"}));
  EXPECT_EQ(rig.PassRequests(false), Requests{"@01DI"});
}

TEST(PortOutputGroup, TriggeredByChangesAndByUnansweredWrites) {
  PortOutputGroup group(8);
  GroupRig rig(group);
  host::Var do0 = rig.Bool("DO 0");
  rig.Start();
  rig.bus.On("@01DO01", "!01");
  rig.bus.On("@01DO00", "!01");
  EXPECT_EQ(group.IsTriggered(), 0);
  rig.Set(do0, true);
  EXPECT_EQ(group.IsTriggered(), 1);
  rig.Pass(false);
  EXPECT_EQ(group.IsTriggered(), 0);
  rig.Set(do0, false);
  EXPECT_EQ(group.IsTriggered(), 1) << "turning an output off is a change too";
  rig.Pass(false);
  EXPECT_EQ(group.IsTriggered(), 0);

  rig.Set(do0, true);
  rig.bus.Silent("@01DO01");
  rig.Pass(false);
  EXPECT_EQ(group.IsTriggered(), 1) << "the write was never answered";
  rig.bus.OnRaw("@01DO01", "?01\r");
  rig.Pass(false);
  EXPECT_EQ(group.IsTriggered(), 0) << "the module refused the write";
  rig.bus.On("@01DO01", "!01");
  rig.Pass(false);
  EXPECT_EQ(group.IsTriggered(), 0);
}

}  // namespace
}  // namespace rio
