// The thermocouple drivers end to end: mx43120 (offsets per channel),
// mx43120h (type codes per channel, eight or ten channels by model) and
// mx43120t (one cold-junction compensation for the module).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "drivers/thermo/thermo_fixture.h"

namespace {

using drivertest::Concat;
using drivertest::ControlRequests;
using drivertest::kStartOnline;
using thermotest::Requests;
using thermotest::Rig;

// A read reply of count fields, each the same text.
std::string Fields(int count, const std::string& field) {
  std::string reply = ">";
  for (int i = 0; i < count; ++i) reply += field;
  return reply;
}

// The usual reads of a module whose channels all use CJC and min/max.
void AnswerReads(host::Responder& bus, int channels = 8) {
  bus.On("#01", Fields(channels, "+01.000"));
  bus.On("$013", ">+025.30");
  bus.On("@01RH", Fields(channels, "+09.000"));
  bus.On("@01RL", Fields(channels, "-09.000"));
}

class Mx43120 : public ::testing::Test {
 protected:
  Rig rig_{"mx43120", "MX-43120", "43120", "00,08,Continuous,100,2"};
  host::HostTree& tree_ = rig_.Tree();
};

TEST_F(Mx43120, FirstPassSendsSettingsInChannelOrderThenReads) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "E");  // CJC on, but no Set CJC 0
  host::Var ai2 = tree_.AddVariable("AI 2", host::kTypeFloat32, "E,E");
  tree_.AddVariable("Set CJC 2", host::kTypeFloat32);
  tree_.AddVariable("Clear Max 2", host::kTypeBool);
  host::Var cjc = tree_.AddVariable("CJC", host::kTypeFloat32);
  tree_.AddVariable("Enable CJC", host::kTypeBool);
  host::Var max2 = tree_.AddVariable("Max 2", host::kTypeFloat32);
  host::Var min2 = tree_.AddVariable("Min 2", host::kTypeFloat32);
  rig_.Start();
  AnswerReads(rig_.Bus());

  EXPECT_EQ(rig_.ScanRequests(), Concat(ControlRequests("%0101080600"), {"$019-0000C2", "@01CH2", "#01", "$013",
                                                                          "~01C0", "@01RH", "@01RL"}));
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013", "@01RH", "@01RL"}));
  EXPECT_FLOAT_EQ(tree_.Get<float>(ai2), 1.0f);
  EXPECT_FLOAT_EQ(tree_.Get<float>(cjc), 25.3f);
  EXPECT_FLOAT_EQ(tree_.Get<float>(max2), 9.0f);
  EXPECT_FLOAT_EQ(tree_.Get<float>(min2), -9.0f);
}

TEST_F(Mx43120, ChannelTokensChooseTheFunctions) {
  struct Case {
    const char* params;
    Requests firstPass;
  };
  const Case cases[] = {
      {"", {"#01"}},
      {"D,D", {"#01"}},
      {"e,e", {"#01"}},  // only a capital E switches on
      {"D,E", {"@01CH0", "#01", "@01RH", "@01RL"}},
      {"E", {"$019-0000C0", "#01", "$013", "~01C0"}},
      {",,E", {"$019-0000C0", "#01", "$013", "~01C0"}},  // empty tokens vanish: E is the first
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    Rig rig("mx43120", "MX-43120", "43120", "00,08,Continuous,100,2");
    rig.Tree().AddVariable("AI 0", host::kTypeFloat32, c.params);
    rig.Tree().AddVariable("Set CJC 0", host::kTypeFloat32);
    rig.Tree().AddVariable("Clear Max 0", host::kTypeBool);
    rig.Start();
    AnswerReads(rig.Bus());
    EXPECT_EQ(rig.ScanRequests(), Concat(ControlRequests("%0101080600"), c.firstPass));
  }
}

TEST_F(Mx43120, OffsetsGoOutOnChangeWithTheirEncoding) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "E");
  host::Var offset = tree_.AddVariable("Set CJC 0", host::kTypeFloat32);
  rig_.Start(kStartOnline);
  AnswerReads(rig_.Bus());
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013"})) << "0 is what was recorded at start";
  const std::pair<float, const char*> cases[] = {
      {1.45f, "$019+000EC0"}, {12.75f, "$019+007FC0"}, {-20.0f, "$019-007FC0"},  {0.0f, "$019-0000C0"},
      {0.7f, "$019+0007C0"},  {-0.05f, "$019-0000C0"}, {1e30f, "$019+007FC0"},
  };
  for (const auto& [value, request] : cases) {
    tree_.Set<float>(offset, value);
    EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013", request})) << value;
    EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013"})) << "unchanged: " << value;
  }
}

// A setting the module never received goes out again at the next pass; one
// it refused waits for a new value.
TEST_F(Mx43120, UnconfirmedSettingsStayPending) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "E");
  host::Var offset = tree_.AddVariable("Set CJC 0", host::kTypeFloat32);
  host::Var enable = tree_.AddVariable("Enable CJC", host::kTypeBool);
  rig_.Start(kStartOnline, true);
  host::Responder& bus = rig_.Bus();
  AnswerReads(bus);
  struct Case {
    const char* what;
    std::string reply;  // exact bytes; "" for no reply
    bool retried;
  };
  const Case cases[] = {
      {"no reply", "", true},
      {"no carriage return", "!0185", true},
      {"wrong address echo", bus.Frame("!02"), true},
      {"checksum error", "!0100\r", true},
      {"refused", bus.Frame("?01"), false},
  };
  float value = 1.0f;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    value += 1.0f;
    tree_.Set<float>(offset, value);
    tree_.Set<bool>(enable, !tree_.Get<bool>(enable));
    char offsetText[16];
    std::snprintf(offsetText, sizeof offsetText, "$019+%04XC0", static_cast<unsigned>(value * 10));
    const std::string enableText = tree_.Get<bool>(enable) ? "~01C1" : "~01C0";
    for (const std::string& request : {std::string(offsetText), enableText}) {
      if (c.reply.empty()) {
        bus.Silent(request);
      } else {
        bus.OnRaw(request, c.reply);
      }
    }
    EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013", enableText, offsetText}));
    bus.Forget(offsetText);
    bus.Forget(enableText);
    const Requests again = c.retried ? Requests{"#01", "$013", enableText, offsetText} : Requests{"#01", "$013"};
    EXPECT_EQ(rig_.ScanRequests(), again);
    EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013"}));
  }
}

TEST_F(Mx43120, SettingLostWithTheQueueIsSentOnceByTheOfflinePass) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "E,E");
  host::Var offset = tree_.AddVariable("Set CJC 0", host::kTypeFloat32);
  rig_.Start(kStartOnline);
  host::Responder& bus = rig_.Bus();
  AnswerReads(bus);
  rig_.Scan();
  // Three failures in a row (limit 2) declare the module lost while the
  // offset still waits in the queue.
  tree_.Set<float>(offset, 1.0f);
  for (const char* read : {"#01", "$013", "@01RH"}) bus.Silent(read);
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013", "@01RH"}));
  AnswerReads(bus);
  EXPECT_EQ(rig_.ScanRequests(), Concat(ControlRequests("%0101080600"),
                                        {"$019+000AC0", "#01", "$013", "~01C0", "@01RH", "@01RL"}));
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "$013", "@01RH", "@01RL"}));
}

TEST_F(Mx43120, ClearsFollowRisingEdgesOnly) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "D,E");
  host::Var clearMax = tree_.AddVariable("Clear Max 0", host::kTypeBool);
  host::Var clearMin = tree_.AddVariable("Clear Min 0", host::kTypeBool);
  rig_.Start(kStartOnline);
  AnswerReads(rig_.Bus());
  const Requests reads{"#01", "@01RH", "@01RL"};
  const Requests withClear{"#01", "@01RH", "@01RL", "@01CH0"};
  for (const auto& [level, expected] : {std::pair{false, reads}, std::pair{true, withClear}, std::pair{true, reads},
                                        std::pair{false, reads}, std::pair{true, withClear}}) {
    tree_.Set<bool>(clearMax, level);
    EXPECT_EQ(rig_.ScanRequests(), expected) << level;
  }
  // A clear that got no reply is not repeated: the user asks again.
  rig_.Bus().Silent("@01CL0");
  tree_.Set<bool>(clearMin, true);
  EXPECT_EQ(rig_.ScanRequests(), (Requests{"#01", "@01RH", "@01RL", "@01CL0"}));
  EXPECT_EQ(rig_.ScanRequests(), reads);
}

class Mx43120Hex : public ::testing::Test {
 protected:
  Rig rig_{"mx43120", "MX-43120", "43120", "02,08,Continuous,100,2"};
  host::HostTree& tree_ = rig_.Tree();
};

TEST_F(Mx43120Hex, ExtremesAreWrittenAsIntegersAndShortRepliesWriteNothing) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "E,E");
  host::Var max0 = tree_.AddVariable("Max 0", host::kTypeInt32);
  host::Var min7 = tree_.AddVariable("Min 7", host::kTypeUInt16);
  host::Var cjc = tree_.AddVariable("CJC", host::kTypeFloat32);
  rig_.Start(kStartOnline);
  host::Responder& bus = rig_.Bus();
  bus.On("#01", Fields(8, "0000"));
  bus.On("$013", ">-001.50");
  bus.On("@01RH", ">8000" + Fields(7, "0001").substr(1));
  bus.On("@01RL", Fields(7, "0000") + "FFFF");
  auto scan = rig_.Scan();
  for (const auto& exchange : scan) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
  EXPECT_EQ(tree_.Get<std::int32_t>(max0), 32768);
  EXPECT_EQ(tree_.Get<std::uint16_t>(min7), 65535);
  EXPECT_FLOAT_EQ(tree_.Get<float>(cjc), -1.5f);

  bus.On("$013", ">-001.5");
  bus.On("@01RH", Fields(7, "0002"));
  bus.On("@01RL", ">");
  scan = rig_.Scan();
  EXPECT_EQ(Rig::StatusOf(scan, "$013"), hostabi::kReplyInvalid);
  EXPECT_EQ(Rig::StatusOf(scan, "@01RH"), hostabi::kReplyInvalid);
  EXPECT_EQ(Rig::StatusOf(scan, "@01RL"), hostabi::kReplyInvalid);
  EXPECT_EQ(tree_.Get<std::int32_t>(max0), 32768);
  EXPECT_EQ(tree_.Get<std::uint16_t>(min7), 65535);
  EXPECT_FLOAT_EQ(tree_.Get<float>(cjc), -1.5f);
}

TEST(Mx43120h, TenChannelModelReadsTenFieldsOfEveryReply) {
  Rig rig("mx43120h", "MX-43120N", "43120N", "00,Continuous,100,2");
  host::HostTree& tree = rig.Tree();
  host::Var ai9 = tree.AddVariable("AI 9", host::kTypeFloat32, "0E,E,E");
  tree.AddVariable("Set CJC 9", host::kTypeFloat32);
  tree.AddVariable("Clear Min 9", host::kTypeBool);
  host::Var max9 = tree.AddVariable("Max 9", host::kTypeFloat32);
  host::Var min9 = tree.AddVariable("Min 9", host::kTypeFloat32);
  host::Var ignored = tree.AddVariable("AI 10", host::kTypeFloat32);
  rig.Start(0, true);
  host::Responder& bus = rig.Bus();
  // Seventy-one characters before the checksum.
  bus.On("#01", Fields(9, "+00.000") + "+10.000");
  bus.On("$013", ">+025.30");
  bus.On("@01RH", Fields(9, "+00.000") + "+99.500");
  bus.On("@01RL", Fields(9, "+00.000") + "-99.500");
  auto scan = rig.Scan();
  EXPECT_EQ(host::ScanRunner::Requests(scan),
            Concat(ControlRequests("%0101050600"),
                   {"$017C9R0E", "$019-0000C9", "@01CL9", "#01", "$013", "~01C0", "@01RH", "@01RL"}));
  for (const auto& exchange : scan) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
  EXPECT_FLOAT_EQ(tree.Get<float>(ai9), 10.0f);
  EXPECT_FLOAT_EQ(tree.Get<float>(max9), 99.5f);
  EXPECT_FLOAT_EQ(tree.Get<float>(min9), -99.5f);
  EXPECT_FLOAT_EQ(tree.Get<float>(ignored), 0.0f);

  bus.On("@01RH", Fields(8, "+00.000"));
  EXPECT_EQ(Rig::StatusOf(rig.Scan(), "@01RH"), hostabi::kReplyInvalid) << "ten fields are needed";
}

TEST(Mx43120h, OtherModelsHaveEightChannels) {
  for (const char* model : {"MX-43120H", "MX-99999"}) {
    SCOPED_TRACE(model);
    Rig rig("mx43120h", model, "43120H", "00,Continuous,100,2");
    rig.Tree().AddVariable("AI 7", host::kTypeFloat32, "0E,D,E");
    host::Var ai9 = rig.Tree().AddVariable("AI 9", host::kTypeFloat32, "0E,D,E");
    rig.Start(kStartOnline);
    AnswerReads(rig.Bus());
    auto scan = rig.Scan();
    EXPECT_EQ(host::ScanRunner::Requests(scan), (Requests{"#01", "@01RH", "@01RL"}));
    for (const auto& exchange : scan) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    EXPECT_FLOAT_EQ(rig.Tree().Get<float>(ai9), 0.0f);
  }
}

TEST(Mx43120h, ChannelsWithoutATypeCodeSendNoTypeRequest) {
  Rig rig("mx43120h", "MX-43120H", "43120H", "00,Continuous,100,2");
  rig.Tree().AddVariable("AI 0", host::kTypeFloat32);
  rig.Tree().AddVariable("AI 1", host::kTypeFloat32, "1");
  rig.Tree().AddVariable("AI 2", host::kTypeFloat32, "1B9,E");
  rig.Tree().AddVariable("Set CJC 2", host::kTypeFloat32);
  rig.Start();
  AnswerReads(rig.Bus());
  EXPECT_EQ(rig.ScanRequests(), Concat(ControlRequests("%0101050600"), {"$017C2R1B", "$019-0000C2", "#01", "$013",
                                                                         "~01C0"}));
}

class Mx43120t : public ::testing::Test {
 protected:
  void Build(const char* params) {
    rig_ = std::make_unique<Rig>("mx43120t", "MX-43120T", "43120T", params);
    rig_->Tree().AddVariable("AI 0", host::kTypeFloat32, "E");
    rig_->Tree().AddVariable("Clear Max 0", host::kTypeBool);
    cjc_ = rig_->Tree().AddVariable("CJC Temperature", host::kTypeFloat32);
    offset_ = rig_->Tree().AddVariable("Set CJC", host::kTypeFloat32);
    rig_->Tree().AddVariable("Enable CJC", host::kTypeBool);
  }
  std::unique_ptr<Rig> rig_;
  host::Var cjc_;
  host::Var offset_;
};

TEST_F(Mx43120t, FinalETokenPutsTheModuleCjcInTheControlGroup) {
  Build("00,08,Continuous,100,2,E");
  rig_->Start();
  AnswerReads(rig_->Bus());
  EXPECT_EQ(rig_->ScanRequests(), Concat(ControlRequests("%0101080600"),
                                         {"$019-0000", "~01C0", "$013", "@01CH0", "#01", "@01RH", "@01RL"}));
  EXPECT_FLOAT_EQ(rig_->Tree().Get<float>(cjc_), 25.3f) << "bound by its leading characters";
  EXPECT_EQ(rig_->ScanRequests(), (Requests{"$013", "#01", "@01RH", "@01RL"}));

  const std::pair<float, const char*> offsets[] = {{300.0f, "$019+7530"}, {-1.5f, "$019-0096"}, {1e6f, "$019+FFFF"}};
  for (const auto& [value, request] : offsets) {
    rig_->Tree().Set<float>(offset_, value);
    EXPECT_EQ(rig_->ScanRequests(), (Requests{"$013", request, "#01", "@01RH", "@01RL"})) << value;
  }
  rig_->Tree().Set<float>(offset_, 2.0f);
  rig_->Bus().Silent("$019+00C8");
  rig_->Scan();
  rig_->Bus().Forget("$019+00C8");
  EXPECT_EQ(rig_->ScanRequests(), (Requests{"$013", "$019+00C8", "#01", "@01RH", "@01RL"})) << "pending";
  EXPECT_EQ(rig_->ScanRequests(), (Requests{"$013", "#01", "@01RH", "@01RL"}));
}

TEST_F(Mx43120t, WithoutTheFinalETokenNoCjcRequestIsEverSent) {
  for (const char* params : {"00,08,Continuous,100,2", "00,08,Continuous,100,2,D", "00,08,Continuous,100"}) {
    SCOPED_TRACE(params);
    Build(params);
    rig_->Start();
    AnswerReads(rig_->Bus());
    EXPECT_EQ(rig_->ScanRequests(), Concat(ControlRequests("%0101080600"), {"@01CH0", "#01", "@01RH", "@01RL"}));
    rig_->Tree().Set<float>(offset_, 5.0f);
    EXPECT_EQ(rig_->ScanRequests(), (Requests{"#01", "@01RH", "@01RL"}));
  }
}

}  // namespace
