// The alarm input group on its own: start-up requests per channel, clear
// edges, shared coefficient sets, read formats, and parameter strings that
// lack tokens or carry limits that do not fit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "groups/analog_in/alarm_input_group.h"
#include "host/host_tree.h"

namespace rio {
namespace {

class AlarmInputs : public ::testing::Test {
 protected:
  explicit AlarmInputs(const char* moduleParams = "00,Continuous,0,3") : tree_(1, "MX-43610H", moduleParams) {}

  void Start(const AlarmInputVariant& variant) {
    group_ = std::make_unique<AlarmInputGroup>(variant);
    group_->Bind(reinterpret_cast<VariableDb*>(tree_.Db()), tree_.ModuleNode(), 0);
    group_->CreateCommands(0);
  }
  // The request texts of one scheduling pass, without carriage returns.
  std::vector<std::string> Pass(bool offline) {
    RequestQueue queue;
    group_->ScheduleCommands(offline ? 1 : 0, 0, queue);
    std::vector<std::string> texts;
    for (Command* command : queue) {
      command->Prepare();
      std::string text(command->GetRequest(), command->GetRequestLength());
      if (!text.empty() && text.back() == '\r') text.pop_back();
      texts.push_back(text);
    }
    last_ = queue;
    return texts;
  }

  host::HostTree tree_;
  std::unique_ptr<AlarmInputGroup> group_;
  RequestQueue last_;
};

TEST_F(AlarmInputs, ChannelSettingsAndClearEdges) {
  tree_.AddVariable("AI 2", host::kTypeFloat32, "08,M,+05.000,1,D");
  host::Var clearHigh = tree_.AddVariable("Clear High 2", host::kTypeBool);
  host::Var clearLow = tree_.AddVariable("Clear Low 2", host::kTypeBool);
  Start(kMixedModuleAlarmInputs);
  const std::vector<std::string> disabled = {"@01DHC", "@01DLC"};
  std::vector<std::string> expected;
  for (int channel : {0, 1}) {
    for (const auto& d : disabled) expected.push_back(d + std::to_string(channel));
  }
  expected.insert(expected.end(), {"$017C2R08", "@01HI+05.000C2MO1", "@01DLC2"});
  for (int channel : {3, 4, 5}) {
    for (const auto& d : disabled) expected.push_back(d + std::to_string(channel));
  }
  expected.push_back("#01");
  EXPECT_EQ(Pass(true), expected);

  // Clear High 2 at 0, 1, 1, 0, 1: cleared in the second and fifth pass.
  const bool levels[] = {false, true, true, false, true};
  std::vector<std::size_t> sizes;
  for (bool level : levels) {
    tree_.Set<bool>(clearHigh, level);
    tree_.Set<bool>(clearLow, level);  // the low alarm is disabled: never cleared
    auto pass = Pass(false);
    sizes.push_back(pass.size());
    if (pass.size() == 2) {
      EXPECT_EQ(pass[1], "@01CHC2");
    }
  }
  EXPECT_EQ(sizes, (std::vector<std::size_t>{1, 2, 1, 1, 2}));
}

TEST_F(AlarmInputs, AbsentChannelsAreDisabledOnlyOnTheMixedModule) {
  for (int channel = 0; channel < 4; ++channel) {
    tree_.AddVariable("AI " + std::to_string(channel), host::kTypeFloat32, "08,D,D");
  }
  Start(kMixedModuleAlarmInputs);
  auto mixed = Pass(true);
  ASSERT_EQ(mixed.size(), 4U * 3 + 4 + 1);
  EXPECT_EQ(std::vector<std::string>(mixed.end() - 5, mixed.end()),
            (std::vector<std::string>{"@01DHC4", "@01DLC4", "@01DHC5", "@01DLC5", "#01"}));
  Start(kEightChannelAlarmInputs);
  EXPECT_EQ(Pass(true).size(), 4U * 3 + 1);
}

TEST_F(AlarmInputs, ChannelsOfOneCoefficientTypeShareOneSetWithTheLastTexts) {
  tree_.AddVariable("AI 0", host::kTypeFloat32, "71,1.0,2.0,3.0,D,D");
  tree_.AddVariable("AI 1", host::kTypeFloat32, "71,+1.2345678,-0.5,9,D,D");
  tree_.AddVariable("AI 2", host::kTypeFloat32, "70,1,2");  // coefficients incomplete: not sent
  Start(kEightChannelAlarmInputs);
  auto pass = Pass(true);
  ASSERT_EQ(pass.size(), 3U + 3 + 1 + 3 + 1);
  EXPECT_EQ(pass[6], "$017C2R70");
  EXPECT_EQ(std::vector<std::string>(pass.begin() + 7, pass.end()),
            (std::vector<std::string>{"@01SAT71C+1.23456", "@01SBT71C-0.5", "@01SCT71C9", "#01"}));
}

TEST_F(AlarmInputs, MissingTokensAndOverlongLimitsSendNoAlarm) {
  const std::string limit22(22, '1');
  tree_.AddVariable("AI 0", host::kTypeFloat32, "");                          // nothing at all
  tree_.AddVariable("AI 1", host::kTypeFloat32, "08");                        // no alarm tokens
  tree_.AddVariable("AI 2", host::kTypeFloat32, "08,M,+05.000");              // high output missing
  tree_.AddVariable("AI 3", host::kTypeFloat32, "08,M," + limit22 + "1,1,D"); // limit of 23 characters
  tree_.AddVariable("AI 4", host::kTypeFloat32, "08,D,L," + limit22 + ",0");  // limit of 22 characters
  host::Var clear = tree_.AddVariable("Clear High 3", host::kTypeBool);
  Start(kMixedModuleAlarmInputs);
  EXPECT_EQ(Pass(true), (std::vector<std::string>{"$017C1R08", "$017C2R08", "$017C3R08", "@01DLC3", "$017C4R08",
                                                  "@01DHC4", "@01LO" + limit22 + "C4LO0", "@01DHC5", "@01DLC5",
                                                  "#01"}));
  tree_.Set<bool>(clear, true);
  EXPECT_EQ(Pass(false).size(), 1U) << "an alarm that was never set has no clear request";
}

class AlarmInputsFormat03 : public AlarmInputs {
 protected:
  AlarmInputsFormat03() : AlarmInputs("03,Continuous,0,3") {}
};

TEST_F(AlarmInputsFormat03, FieldWidthDependsOnTheVariant) {
  host::Var ai0 = tree_.AddVariable("AI 0", host::kTypeFloat32, "08,D,D");
  host::Var ai5 = tree_.AddVariable("AI 5", host::kTypeFloat32, "08,D,D");
  struct Case {
    const AlarmInputVariant* variant;
    std::string reply;
    float ai5;
  };
  const Case cases[] = {
      {&kMixedModuleAlarmInputs, ">+01.500" + std::string(28, '0') + "-02.250\r", -2.25f},
      {&kEightChannelAlarmInputs, ">+0001.500" + std::string(36, '0') + "-0002.250" + std::string(18, '0') + "\r",
       -2.25f},
  };
  for (const Case& c : cases) {
    Start(*c.variant);
    Pass(false);
    Command* read = last_.front();
    read->Prepare();
    std::copy(c.reply.begin(), c.reply.end(), read->GetReplyBuffer());
    EXPECT_EQ(read->ParseReply(), ReplyOk) << c.reply;
    EXPECT_FLOAT_EQ(tree_.Get<float>(ai0), 1.5f);
    EXPECT_FLOAT_EQ(tree_.Get<float>(ai5), c.ai5);
  }
}

}  // namespace
}  // namespace rio
