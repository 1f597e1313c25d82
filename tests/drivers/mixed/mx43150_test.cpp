// mx43150 and mx2470 end to end: eight alarm inputs and a port of digital
// outputs scheduled by their own trigger in continuous mode.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "drivers/mixed/mixed_fixture.h"

namespace {

using drivertest::Concat;
using drivertest::ControlRequests;
using host::ScanRunner;
using Requests = std::vector<std::string>;

struct Deliverable {
  const char* file;
  const char* model;
  const char* code;
  const char* version;
  int outputs;
};
const Deliverable kMx43150{"mx43150", "MX-43150", "43150", "1.1.2", 8};
const Deliverable kMx2470{"mx2470", "N-2470", "2470", "1.0.0", 6};

class AlarmInputDriver : public ::testing::Test {
 protected:
  void Start(const Deliverable& d, const char* params, std::uint32_t flags = 0) {
    plugin_ = std::make_unique<host::Plugin>(d.file);
    tree_ = std::make_unique<host::HostTree>(1, d.model, params);
    drivertest::AnswerMixedModule(bus_, d.code, 8, 7);
    for (int i = 0; i < 8; ++i) {
      dos_.push_back(tree_->AddVariable("DO " + std::to_string(i), host::kTypeBool, "0,0"));
    }
    tree_->AddVariable("AI 0", host::kTypeFloat32, "08,D,D");
    flags_ = flags;
  }
  void Init() {
    module_ = plugin_->CreateModule();
    ASSERT_EQ(module_->Initialize(tree_->Db(), tree_->ModuleNode(), flags_, 0), 1);
  }
  Requests Scan() { return ScanRunner::Requests(runner_.Scan(*module_, bus_)); }
  Requests ScanIfDue() { return ScanRunner::Requests(runner_.ScanIfDue(*module_, bus_)); }

  std::unique_ptr<host::Plugin> plugin_;
  std::unique_ptr<host::HostTree> tree_;
  std::vector<host::Var> dos_;
  std::uint32_t flags_ = 0;
  host::Responder bus_{false};
  ScanRunner runner_;
  host::ModulePtr module_;
};

TEST_F(AlarmInputDriver, NamesVersionsAndOutputChannels) {
  for (const Deliverable* d : {&kMx43150, &kMx2470}) {
    host::Plugin plugin(d->file);
    EXPECT_EQ(plugin.Name(), d->model);
    EXPECT_EQ(plugin.Version(), d->version);
  }
  // DO 6 and DO 7 exist only on the eight-output module.
  for (const Deliverable* d : {&kMx43150, &kMx2470}) {
    dos_.clear();
    bus_.Clear();
    Start(*d, "00,Continuous,100,3", drivertest::kStartOnline);
    for (int i = 0; i < 8; ++i) tree_->Set<bool>(dos_[static_cast<std::size_t>(i)], true);
    Init();
    module_->IsScanDue();
    const Requests scan = Scan();
    ASSERT_EQ(scan.size(), 2U) << d->file;
    EXPECT_EQ(scan[1], d->outputs == 8 ? "@01DOFF" : "@01DO3F") << d->file;
    module_.reset();
  }
}

TEST_F(AlarmInputDriver, ContinuousModeWritesOutputsOnlyWhenTheyAskedForIt) {
  Start(kMx43150, "00,Continuous,100,3");
  Init();
  // Offline: the outputs' defaults and write in every scan.
  const Requests first = Scan();
  EXPECT_EQ(Requests(first.end() - 3, first.end()), (Requests{"#01", "~0150000", "@01DO00"}));
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), Requests{"#01"}) << "outputs unchanged: only the input read";
  tree_->Set<bool>(dos_[3], true);
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DO08"}));
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), Requests{"#01"});
}

TEST_F(AlarmInputDriver, UnansweredOutputWriteTriggersAgain) {
  Start(kMx43150, "00,Continuous,100,3", drivertest::kStartOnline);
  Init();
  module_->IsScanDue();
  Scan();
  tree_->Set<bool>(dos_[0], true);
  bus_.Silent("@01DO01");
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DO01"}));
  bus_.Forget("@01DO01");
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), (Requests{"#01", "@01DO01"})) << "kept pending until answered";
  EXPECT_TRUE(module_->IsScanDue());
  EXPECT_EQ(Scan(), Requests{"#01"});
}

TEST_F(AlarmInputDriver, PeriodicModeWritesOutputsInEveryScan) {
  Start(kMx2470, "00,Periodic,0,0,100,3", drivertest::kStartOnline);
  Init();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Scan(), (Requests{"#01", "@01DO00"}));
}

TEST_F(AlarmInputDriver, DataFormat03ReadsNineCharacterFields) {
  Start(kMx43150, "03,Continuous,100,3", drivertest::kStartOnline);
  host::Var ai7 = tree_->AddVariable("AI 7", host::kTypeFloat32, "08,D,D");
  std::string fields;
  for (int i = 0; i < 8; ++i) fields += "+000" + std::to_string(i) + ".250";
  bus_.On("#01", ">" + fields);
  Init();
  module_->IsScanDue();
  auto exchanges = runner_.Scan(*module_, bus_);
  ASSERT_FALSE(exchanges.empty());
  EXPECT_EQ(exchanges[0].status, hostabi::kReplyOk);
  EXPECT_FLOAT_EQ(tree_->Get<float>(ai7), 7.25f);
}

TEST_F(AlarmInputDriver, SharedCoefficientSetFollowsTheChannelSettings) {
  Start(kMx43150, "00,Continuous,100,3");
  tree_->AddVariable("AI 1", host::kTypeFloat32, "71,1.5,2.5,3.5,D,D");
  tree_->AddVariable("AI 2", host::kTypeFloat32, "71,4.5,5.5,6.5,D,D");
  Init();
  const Requests scan = Scan();
  Requests inputs = {"$017C0R08", "@01DHC0", "@01DLC0", "$017C1R71", "@01DHC1", "@01DLC1",
                     "$017C2R71", "@01DHC2", "@01DLC2", "@01SAT71C4.5",  "@01SBT71C5.5", "@01SCT71C6.5",
                     "#01"};
  EXPECT_EQ(scan, Concat(Concat(ControlRequests("%0101050600"), inputs), {"~0150000", "@01DO00"}));
}

}  // namespace
