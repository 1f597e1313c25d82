// mx43110 and mx43110tk end to end: loaded through their exports and driven
// through the virtual tables like the runtime drives them.
#include <gtest/gtest.h>

#include <cstring>

#include "drivers/common/driver_fixture.h"

namespace {

using drivertest::AnswerControlRequests;
using drivertest::Concat;
using drivertest::ControlRequests;
using host::ScanRunner;

struct Deliverable {
  const char* file;
  const char* model;
  const char* code;
};
const Deliverable kDeliverables[] = {{"mx43110", "MX-43110", "43110"}, {"mx43110tk", "MX-43110TK", "43110TK"}};

TEST(EightChannelExports, NameAndVersionRespectTheBuffer) {
  for (const Deliverable& d : kDeliverables) {
    host::Plugin plugin(d.file);
    EXPECT_EQ(plugin.Name(), d.model);
    EXPECT_EQ(plugin.Version(), "1.1.1");

    const auto length = static_cast<std::uint32_t>(std::strlen(d.model));
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(plugin.GetName(buffer, length), 0) << "no room to spare";
    EXPECT_EQ(std::string(buffer, length), d.model);
    EXPECT_EQ(buffer[length], '#') << "no terminator is written";
    EXPECT_EQ(plugin.GetName(buffer, length + 1), 1);

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(plugin.GetVersion(buffer, 6), 0);
    EXPECT_STREQ(buffer, "1.1.1");
    EXPECT_EQ(plugin.GetVersion(buffer, 7), 1);
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(plugin.GetVersion(buffer, 3), 0);
    EXPECT_EQ(std::string(buffer, 4), "1.1#");
  }
}

// One mx43110 at address 01 with the usual variables.
class Mx43110 : public ::testing::Test {
 protected:
  explicit Mx43110(const char* params = "00,08,Continuous,100,2") : tree_(1, "MX-43110", params) {}

  void Start(std::uint32_t flags, bool checksum) {
    bus_.SetChecksum(checksum);
    AnswerControlRequests(bus_, "01", "43110");
    module_ = plugin_.CreateModule();
    ASSERT_NE(module_, nullptr);
    ASSERT_EQ(module_->Initialize(tree_.Db(), tree_.ModuleNode(), flags, checksum ? 1 : 0), 1);
  }
  std::vector<ScanRunner::Exchange> Scan() { return runner_.Scan(*module_, bus_); }

  host::Plugin plugin_{"mx43110"};
  host::HostTree tree_;
  host::Responder bus_{false};
  ScanRunner runner_;
  host::ModulePtr module_;
};

TEST_F(Mx43110, FirstScanBringsTheModuleIntoServiceThenOnlyReads) {
  for (bool checksum : {false, true}) {
    SCOPED_TRACE(checksum ? "checksum on" : "checksum off");
    host::Var state = tree_.AddVariable("Connect State", host::kTypeUInt32);
    Start(0, checksum);
    // The read-back CC 86 and FF FE: bits 2-4 of FF are never sent, the
    // data format and type come from the parameter string.
    bus_.On("$012", "!010586FE");
    bus_.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
    auto first = Scan();
    EXPECT_EQ(ScanRunner::Requests(first), Concat(ControlRequests("%01010886E0"), {"#01"}));
    for (const auto& exchange : first) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    EXPECT_EQ(ScanRunner::Requests(Scan()), std::vector<std::string>{"#01"});
    EXPECT_EQ(tree_.Get<std::uint32_t>(state), 0U);
    module_.reset();
  }
}

TEST_F(Mx43110, StartingOnlineSkipsTheControlRequests) {
  Start(drivertest::kStartOnline, false);
  EXPECT_EQ(ScanRunner::Requests(Scan()), std::vector<std::string>{"#01"});
}

TEST_F(Mx43110, DecimalFieldsReachVariablesOfEveryType) {
  host::Var real = tree_.AddVariable("AI 0", host::kTypeFloat32);
  host::Var odd = tree_.AddDirectVariable("AI1", host::kTypeInt16);  // unaligned, no blank in the name
  host::Var dint = tree_.AddVariable("AI 2", host::kTypeInt32);
  host::Var lreal = tree_.AddVariable("AI 7", host::kTypeFloat64);
  host::Var usint = tree_.AddVariable("AI 4", host::kTypeUInt8);
  host::Var ignored = tree_.AddVariable("AI 8", host::kTypeFloat32);
  host::Var earlier = tree_.AddVariable("AI 5", host::kTypeFloat32);
  host::Var later = tree_.AddVariable("AI 5", host::kTypeFloat32);
  tree_.Set<float>(ignored, 42.0f);
  tree_.Set<float>(earlier, 42.0f);
  Start(drivertest::kStartOnline, true);
  bus_.On("#01", ">+01.500-10.000+0300.0+99.999-00.001+12.250+00.000-03.750");
  ASSERT_EQ(Scan().at(0).status, hostabi::kReplyOk);
  EXPECT_FLOAT_EQ(tree_.Get<float>(real), 1.5f);
  EXPECT_EQ(tree_.Get<std::int16_t>(odd), -10);
  EXPECT_EQ(tree_.Get<std::int32_t>(dint), 300);
  EXPECT_EQ(tree_.Get<std::uint8_t>(usint), 0) << "-0.001 truncates to 0";
  EXPECT_DOUBLE_EQ(tree_.Get<double>(lreal), -3.75);
  EXPECT_FLOAT_EQ(tree_.Get<float>(later), 12.25f);
  EXPECT_FLOAT_EQ(tree_.Get<float>(earlier), 42.0f) << "the later node of a name wins";
  EXPECT_FLOAT_EQ(tree_.Get<float>(ignored), 42.0f);
}

TEST_F(Mx43110, LockedVariablesAreLeftAlone) {
  host::Var locked = tree_.AddVariable("AI 0", host::kTypeInt16);
  tree_.Set<std::int16_t>(locked, 7);
  tree_.SetLocked(locked, true);
  Start(drivertest::kStartOnline, false);
  bus_.On("#01", ">+01.500-10.000+0300.0+99.999-00.001+12.250+00.000-03.750");
  Scan();
  EXPECT_EQ(tree_.Get<std::int16_t>(locked), 7);
  tree_.SetLocked(locked, false);
  Scan();
  EXPECT_EQ(tree_.Get<std::int16_t>(locked), 1);
}

TEST_F(Mx43110, BadRepliesWriteNothing) {
  host::Var ai0 = tree_.AddVariable("AI 0", host::kTypeFloat32);
  host::Var ai7 = tree_.AddVariable("AI 7", host::kTypeFloat32);
  Start(drivertest::kStartOnline, true);
  const std::string good = ">+01.500-10.000+0300.0+99.999-00.001+12.250+00.000-03.750";
  struct Case {
    std::string bytes;
    std::uint32_t status;
  };
  const Case cases[] = {
      {bus_.Frame(good.substr(0, good.size() - 7)), hostabi::kReplyInvalid},  // a field short
      {bus_.Frame(good.substr(0, good.size() - 1)), hostabi::kReplyInvalid},  // a character short
      {good + "00\r", hostabi::kReplyChecksumError},
      {bus_.Frame("!02" + good.substr(1)), hostabi::kReplyInvalid},
  };
  for (const Case& c : cases) {
    tree_.Set<float>(ai0, 99.0f);
    tree_.Set<float>(ai7, 99.0f);
    bus_.OnRaw("#01", c.bytes);
    EXPECT_EQ(Scan().at(0).status, c.status) << c.bytes;
    EXPECT_FLOAT_EQ(tree_.Get<float>(ai0), 99.0f) << c.bytes;
    EXPECT_FLOAT_EQ(tree_.Get<float>(ai7), 99.0f) << c.bytes;
    bus_.On("#01", good);  // one good exchange, so the module is never declared lost
    Scan();
  }
}

class Mx43110Hex : public Mx43110 {
 protected:
  Mx43110Hex() : Mx43110("02,08,Continuous,100,2") {}
};

TEST_F(Mx43110Hex, HexadecimalFieldsAreWrittenAsUnsigned) {
  host::Var uint = tree_.AddVariable("AI 0", host::kTypeUInt16);
  host::Var dint = tree_.AddVariable("AI 1", host::kTypeInt32);
  host::Var sint = tree_.AddVariable("AI 2", host::kTypeInt16);
  host::Var real = tree_.AddVariable("AI 3", host::kTypeFloat32);
  Start(drivertest::kStartOnline, false);
  bus_.On("#01", ">FFFF80008000000A0000000000000000");
  ASSERT_EQ(Scan().at(0).status, hostabi::kReplyOk);
  EXPECT_EQ(tree_.Get<std::uint16_t>(uint), 65535);
  EXPECT_EQ(tree_.Get<std::int32_t>(dint), 32768);
  EXPECT_EQ(tree_.Get<std::int16_t>(sint), -32768);
  EXPECT_FLOAT_EQ(tree_.Get<float>(real), 10.0f);
  bus_.On("#01", ">FFFF8000");
  EXPECT_EQ(Scan().at(0).status, hostabi::kReplyInvalid) << "eight hex fields are needed";
}

TEST_F(Mx43110, LostModuleIsDeclaredOfflineAndComesBack) {
  host::Var state = tree_.AddVariable("Connect State", host::kTypeUInt32);
  Start(0, false);
  bus_.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
  Scan();
  // The module falls silent: failure limit 2, so the third failure in a row
  // declares it lost and drops the rest of the scan.
  bus_.Clear();
  auto failing = Scan();
  EXPECT_EQ(ScanRunner::Statuses(failing), (std::vector<std::uint32_t>{hostabi::kHostTimeout}));
  EXPECT_EQ(tree_.Get<std::uint32_t>(state), hostabi::kHostTimeout);
  EXPECT_EQ(ScanRunner::Requests(Scan()), std::vector<std::string>{"#01"});
  auto lost = Scan();
  EXPECT_EQ(ScanRunner::Requests(lost), std::vector<std::string>{"#01"});
  // Offline now: the next scan starts with the control requests again, and
  // every three failures empty the queue.
  auto retry = Scan();
  EXPECT_EQ(ScanRunner::Requests(retry), (std::vector<std::string>{"~011", "~013000", "$01M"}));
  AnswerControlRequests(bus_, "01", "43110");
  bus_.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
  auto back = Scan();
  EXPECT_EQ(ScanRunner::Requests(back), Concat(ControlRequests("%0101080600"), {"#01"}));
  EXPECT_EQ(tree_.Get<std::uint32_t>(state), hostabi::kReplyOk);
  EXPECT_EQ(ScanRunner::Requests(Scan()), std::vector<std::string>{"#01"});
}

TEST_F(Mx43110, WrongModuleAnswersFailTheNameCheck) {
  Start(0, false);
  bus_.On("$01M", "!0143120");
  bus_.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
  auto scan = Scan();
  ASSERT_GE(scan.size(), 3U);
  EXPECT_EQ(scan[2].request, "$01M");
  EXPECT_EQ(scan[2].status, hostabi::kReplyWrongModule);
}

TEST_F(Mx43110, ConfigurationWriteWaitsForASuccessfulRead) {
  Start(0, false);
  bus_.Silent("$012");
  bus_.On("#01", ">+01.000+02.000+03.000+04.000+05.000+06.000+07.000+08.000");
  auto first = Scan();
  // No read succeeded, so the write's exchange reads instead (and fails).
  EXPECT_EQ(ScanRunner::Requests(first), Concat(ControlRequests("$012"), {"#01"}));
  bus_.On("$012", "!01050600");
  // Online now: the unanswered read of the offline pass goes out again
  // first; once it is answered, the pending write writes, once.
  EXPECT_EQ(ScanRunner::Requests(Scan()), (std::vector<std::string>{"$012", "%0101080600", "#01"}));
  EXPECT_EQ(ScanRunner::Requests(Scan()), std::vector<std::string>{"#01"});
}

TEST_F(Mx43110, UnknownModelStillQueriesTheNameAndAcceptsAnyCode) {
  host::HostTree tree(1, "MX-99999", "00,08,Continuous,100,2");
  bus_.SetChecksum(false);
  AnswerControlRequests(bus_, "01", "77777");
  auto module = plugin_.CreateModule();
  module->Initialize(tree.Db(), tree.ModuleNode(), 0, 0);
  auto scan = runner_.Scan(*module, bus_);
  ASSERT_GE(scan.size(), 3U);
  EXPECT_EQ(scan[2].request, "$01M");
  EXPECT_EQ(scan[2].status, hostabi::kReplyOk);
}

TEST_F(Mx43110, WatchdogTimeoutIsSetBeforeInitialize) {
  const std::pair<std::uint32_t, const char*> cases[] = {{0, "~013000"}, {100, "~013164"}, {255, "~0131FF"},
                                                          {300, "~0131FF"}};
  for (const auto& [timeout, request] : cases) {
    auto module = plugin_.CreateModule();
    module->SetWatchdogTimeout(timeout);
    module->Initialize(tree_.Db(), tree_.ModuleNode(), 0, 0);
    AnswerControlRequests(bus_, "01", "43110");
    auto scan = runner_.Scan(*module, bus_);
    ASSERT_GE(scan.size(), 2U);
    EXPECT_EQ(scan[1].request, request) << timeout;
  }
}

TEST_F(Mx43110, ModuleIdentityOperations) {
  host::HostTree tree(0x2A, "mx-43110", "00,08,Periodic,500,5000,77,3");
  auto module = plugin_.CreateModule();
  module->Initialize(tree.Db(), tree.ModuleNode(), 0, 0);
  EXPECT_EQ(module->GetModuleAddress(), 0x2A);
  EXPECT_EQ(module->GetScanMode(), 2U);
  EXPECT_EQ(module->GetHostValue(), 77);
  module->ClearModuleAddress(0);
  EXPECT_EQ(tree.AddressField(), 0x2A);
  module->ClearModuleAddress(1);
  EXPECT_EQ(tree.AddressField(), 0);
  EXPECT_EQ(module->GetModuleAddress(), 0x2A);
  // Requests keep the address they were built with.
  host::Responder bus(false);
  auto scan = runner_.Scan(*module, bus);
  ASSERT_FALSE(scan.empty());
  EXPECT_EQ(scan[0].request, "~2A1");
}

TEST_F(Mx43110, ScheduleAddsNothingWhileTheQueueHoldsCommands) {
  Start(drivertest::kStartOnline, false);
  module_->ScheduleCommands();
  module_->ScheduleCommands();
  EXPECT_EQ(module_->GetRequestQueue()->size(), 1U);
  module_->GetRequestQueue()->clear();
}

TEST(EightChannelModule, DestroyOfNullIsHarmless) {
  // The host's Destroy on a null module pointer does nothing; ModulePtr's
  // deleter skips null the same way, and a module destroyed with commands
  // still queued must not touch them.
  host::Plugin plugin("mx43110");
  host::HostTree tree(1, "MX-43110", "00,08,Continuous,100,2");
  hostabi::Module* module = plugin.Create();
  module->Initialize(tree.Db(), tree.ModuleNode(), 0, 0);
  module->ScheduleCommands();
  EXPECT_EQ(module->GetRequestQueue()->size(), 6U);
  module->Destroy();
}

}  // namespace
