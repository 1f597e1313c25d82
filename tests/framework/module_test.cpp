// The Module's scan decisions, failure counting and statistics, driven with
// a hand-set clock; and the control group's parameter strings and triggers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/driver_module.h"
#include "host/host_tree.h"

namespace rio {
namespace {

std::uint32_t gNow = 0;
std::uint32_t TestTicks() { return gNow; }

const ModelRow kRows[] = {{"MX-TEST", "TEST"}};
const ModelTable kModels{kRows, 1};

// A group that records when it is asked and answers as told.
class FakeGroup final : public ChannelGroup {
 public:
  FakeGroup(char name, std::vector<std::string>& log) : name_(name), log_(log) {}
  void Bind(VariableDb*, IoNode, std::uint32_t) override {}
  std::uint8_t IsTriggered() override {
    log_.push_back(std::string("ask ") + name_);
    return triggered ? 1 : 0;
  }
  void CreateCommands(std::uint8_t) override {}
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue&) override {
    log_.push_back(std::string("schedule ") + name_ + (offline != 0 ? " offline" : "") + (writeAll != 0 ? " all" : ""));
  }
  bool triggered = false;

 private:
  char name_;
  std::vector<std::string>& log_;
};

// The mixed module's shape: inputs and outputs interleaved.
class MixedModule final : public DriverModule {
 public:
  explicit MixedModule(std::vector<std::string>& log, OutputRule rule = OutputRule::WriteAllUnlessContinuous)
      : DriverModule(control_,
                     {{&a_, GroupRole::Input}, {&b_, GroupRole::Output}, {&c_, GroupRole::Input},
                      {&d_, GroupRole::Output}},
                     rule),
        a_('A', log), b_('B', log), c_('C', log), d_('D', log) {}
  ~MixedModule() override = default;
  ControlGroup control_{ParamForm::Format, kModels};
  FakeGroup a_, b_, c_, d_;
};

class InputOnlyModule final : public DriverModule {
 public:
  InputOnlyModule() : DriverModule(control_, {}) {}
  ~InputOnlyModule() override = default;
  ControlGroup control_{ParamForm::Format, kModels};
};

VariableDb* DbOf(host::HostTree& tree) { return reinterpret_cast<VariableDb*>(tree.Db()); }

template <class M>
struct Harness {
  explicit Harness(const char* params) : tree(1, "MX-TEST", params) {}
  void Start(M& module, std::uint32_t flags = 0) {
    module.SetTickSource(TestTicks);
    module.Initialize(DbOf(tree), tree.ModuleNode(), flags, 0);
  }
  host::HostTree tree;
};

TEST(ScanTiming, PeriodicModeWaitsForThePeriodAcrossTheTickWrap) {
  Harness<InputOnlyModule> h("00,Periodic,500,5000,0,3");
  InputOnlyModule module;
  h.Start(module, kFlagStartOnline);
  gNow = 4294967000U;
  module.RecordScan();
  gNow = 4294967000U + 499;
  EXPECT_FALSE(module.IsScanDue());
  gNow = 204;  // 500 ms later, past the wrap
  EXPECT_TRUE(module.IsScanDue());
  // A failed exchange while offline waits for the offline period.
  module.ReportResult(6);
  module.ReportResult(6);
  module.ReportResult(6);
  module.ReportResult(6);
  ASSERT_TRUE(module.IsOffline());
  module.RecordScan();
  gNow += 4999;
  EXPECT_FALSE(module.IsScanDue());
  gNow += 1;
  EXPECT_TRUE(module.IsScanDue());
}

TEST(ScanTiming, ContinuousModeRetriesALostModuleEverySecond) {
  Harness<InputOnlyModule> h("00,Continuous,0,3");
  InputOnlyModule module;
  h.Start(module);
  gNow = 10000;
  module.RecordScan();
  gNow += 999;
  EXPECT_FALSE(module.IsScanDue());
  gNow += 1;
  EXPECT_TRUE(module.IsScanDue());
  module.ReportResult(0);
  EXPECT_TRUE(module.IsScanDue()) << "online without outputs: always due";
}

TEST(ScanTiming, OnCallModeScansOncePerRisingEdgeAndRetriesFailuresAtOnce) {
  Harness<InputOnlyModule> h("00,On Call,0,3");
  host::Var onCall = h.tree.AddVariable("On Call", host::kTypeBool);
  InputOnlyModule module;
  h.Start(module);
  const bool levels[] = {false, true, true, false, true};
  const bool due[] = {false, true, false, false, true};
  for (int i = 0; i < 5; ++i) {
    h.tree.Set<bool>(onCall, levels[i]);
    EXPECT_EQ(module.IsScanDue() != 0, due[i]) << "test " << i;
  }
  module.ReportResult(0);
  module.ReportResult(6);
  EXPECT_TRUE(module.IsScanDue()) << "a failed exchange while online is repeated at once";
  module.ReportResult(1);
  EXPECT_FALSE(module.IsScanDue()) << "the host's own status 1 holds scanning";
}

TEST(FailureCounting, LimitTwoDeclaresTheModuleLostAtTheThirdFailure) {
  Harness<InputOnlyModule> h("00,Continuous,0,2");
  host::Var state = h.tree.AddVariable("Connect State", host::kTypeInt16);
  InputOnlyModule module;
  h.Start(module, kFlagStartOnline);
  module.ScheduleCommands();  // nothing queued online without groups: fill by hand
  Command dummy(false, 3, 3);
  module.GetRequestQueue()->push_back(&dummy);
  std::vector<std::int16_t> shown;
  for (std::uint32_t status : {6U, 6U}) {
    module.ReportResult(status);
    shown.push_back(h.tree.Get<std::int16_t>(state));
    EXPECT_FALSE(module.IsOffline());
  }
  module.ReportResult(6);
  shown.push_back(h.tree.Get<std::int16_t>(state));
  EXPECT_TRUE(module.IsOffline());
  EXPECT_TRUE(module.GetRequestQueue()->empty());
  module.ReportResult(0);
  shown.push_back(h.tree.Get<std::int16_t>(state));
  EXPECT_FALSE(module.IsOffline());
  EXPECT_EQ(shown, (std::vector<std::int16_t>{6, 6, 6, 0}));
}

TEST(FailureCounting, NegativeLimitNeverDeclaresTheModuleLost) {
  Harness<InputOnlyModule> h("00,Continuous,0,-1");
  InputOnlyModule module;
  h.Start(module, kFlagStartOnline);
  for (int i = 0; i < 1000; ++i) module.ReportResult(4);
  EXPECT_FALSE(module.IsOffline());
}

TEST(ScanStatistics, ScanTimeIsTheMeanIntervalOfEachWindow) {
  Harness<InputOnlyModule> h("00,Continuous,0,2");
  host::Var scanTime = h.tree.AddVariable("Scan Time Average", host::kTypeUInt32);
  h.tree.Set<std::uint32_t>(scanTime, 12345);
  InputOnlyModule module;
  h.Start(module);
  gNow = 6000;
  module.RecordScan();
  EXPECT_EQ(h.tree.Get<std::uint32_t>(scanTime), 12345U) << "the first scan writes nothing";
  gNow += 100;
  module.RecordScan();
  EXPECT_EQ(h.tree.Get<std::uint32_t>(scanTime), 0U) << "the first window measured nothing yet";
  for (int i = 0; i < 60; ++i) {
    gNow += 100;
    module.RecordScan();
  }
  EXPECT_EQ(h.tree.Get<std::uint32_t>(scanTime), 100U);
}

TEST(ContinuousDecision, OutputsAreAskedFirstThenGroupsInOrder) {
  std::vector<std::string> log;
  Harness<MixedModule> h("00,Continuous,0,2");
  MixedModule module(log);
  h.Start(module, kFlagStartOnline);
  EXPECT_FALSE(module.IsScanDue());
  EXPECT_EQ(log, (std::vector<std::string>{"ask B", "ask D", "ask A", "ask C"}));
  log.clear();
  module.c_.triggered = true;
  EXPECT_TRUE(module.IsScanDue());
  EXPECT_EQ(log, (std::vector<std::string>{"ask B", "ask D", "ask A", "ask C"}));
  log.clear();
  module.c_.triggered = false;
  module.d_.triggered = true;
  EXPECT_TRUE(module.IsScanDue());
}

TEST(OutputScheduling, InputsFirstThenOutputsByRule) {
  std::vector<std::string> log;
  Harness<MixedModule> h("00,Continuous,0,2");
  MixedModule module(log);
  h.Start(module);
  module.ScheduleCommands();
  EXPECT_EQ(log, (std::vector<std::string>{"schedule A offline", "schedule C offline", "schedule B offline all",
                                           "schedule D offline all"}));
  module.GetRequestQueue()->clear();
  module.ReportResult(0);
  log.clear();
  module.ScheduleCommands();
  EXPECT_EQ(log, (std::vector<std::string>{"schedule A", "schedule C", "schedule B", "schedule D"}));
}

TEST(OutputScheduling, TriggeredRuleSchedulesOutputsOnlyWhenTheyAskedForIt) {
  std::vector<std::string> log;
  Harness<MixedModule> h("00,Continuous,0,2");
  MixedModule module(log, OutputRule::WhenTriggered);
  h.Start(module);
  module.ScheduleCommands();
  EXPECT_EQ(log, (std::vector<std::string>{"schedule A offline", "schedule C offline", "schedule B offline",
                                           "schedule D offline"}));
  module.GetRequestQueue()->clear();
  module.ReportResult(0);
  module.d_.triggered = true;
  module.IsScanDue();
  log.clear();
  module.ScheduleCommands();
  EXPECT_EQ(log, (std::vector<std::string>{"schedule A", "schedule C", "schedule D"}));
}

TEST(ContinuousDecision, AnEmptyScanEndsTheRepeatAfterAFailure) {
  std::vector<std::string> log;
  Harness<MixedModule> h("00,Continuous,0,2");
  MixedModule module(log);
  h.Start(module, kFlagStartOnline);
  module.ReportResult(6);
  EXPECT_TRUE(module.IsScanDue()) << "a failed exchange is repeated at once";
  module.ScheduleCommands();  // the fake groups queue nothing
  log.clear();
  EXPECT_FALSE(module.IsScanDue()) << "nothing was repeated, so the groups decide again";
  EXPECT_EQ(log, (std::vector<std::string>{"ask B", "ask D", "ask A", "ask C"}));
}

TEST(ParameterString, FormsAndScanSettings) {
  struct Case {
    const char* params;
    std::uint32_t mode;
    std::int32_t period, offlinePeriod, hostValue, failureLimit;
  };
  const Case cases[] = {
      {"02,Periodic,500,5000,200,3", ScanPeriodic, 500, 5000, 200, 3},
      {"00,On Call,100,2", ScanOnCall, 0, 0, 100, 2},
      {"00,on call,100,2", ScanOnCall, 0, 0, 100, 2},
      {"00,OnCall,100,2", ScanContinuous, 0, 0, 100, 2},
      {"01,Continuous,1000,5", ScanContinuous, 0, 0, 1000, 5},
      {"0,Periodic,200,,5000,3", ScanPeriodic, 200, 5000, 3, 0},
      {"00,PERIODIC,x,7", ScanPeriodic, 0, 7, 0, 0},
      {"", ScanContinuous, 0, 0, 0, 0},
      {",,,", ScanContinuous, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    host::HostTree tree(1, "MX-TEST", c.params);
    ControlGroup group(ParamForm::Format, kModels);
    group.Bind(DbOf(tree), tree.ModuleNode(), 0);
    EXPECT_EQ(group.GetScanMode(), c.mode) << c.params;
    EXPECT_EQ(group.Period(), c.period) << c.params;
    EXPECT_EQ(group.OfflinePeriod(), c.offlinePeriod) << c.params;
    EXPECT_EQ(group.HostValue(), c.hostValue) << c.params;
    EXPECT_EQ(group.FailureLimit(), c.failureLimit) << c.params;
  }
}

TEST(ParameterString, OverlongStringWithoutTerminatorIsReadToItsFieldEnd) {
  std::string params = "00,Continuous,1,2";
  params.resize(127, ',');
  host::HostTree tree(1, "MX-TEST", params);
  std::memset(tree.ModuleRecord() + 66, 'A', 128);  // no NUL in the whole field
  ControlGroup group(ParamForm::Format, kModels);
  group.Bind(DbOf(tree), tree.ModuleNode(), 0);
  EXPECT_EQ(group.GetScanMode(), ScanContinuous);
}

}  // namespace
}  // namespace rio
