// mx43220 end to end: two analog outputs through the test host, start-up
// sequences, data formats, write rules per scan mode and retried writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "drivers/common/driver_fixture.h"

namespace {

using drivertest::AnswerControlRequests;
using drivertest::Concat;
using drivertest::ControlRequests;
using host::ScanRunner;
using Requests = std::vector<std::string>;

constexpr std::uint32_t kKeepDefaults = 2;

TEST(AnalogOutputExports, NameAndVersion) {
  struct Case {
    const char* file;
    const char* name;
    const char* version;
  };
  for (const Case& c : {Case{"mx43220", "MX-43220", "1.1.1"}, Case{"mx43280", "MX-43280V", "1.1.2"}}) {
    host::Plugin plugin(c.file);
    EXPECT_EQ(plugin.Name(), c.name);
    EXPECT_EQ(plugin.Version(), c.version);
    const auto length = static_cast<std::uint32_t>(std::strlen(c.name));
    char buffer[32];
    EXPECT_EQ(plugin.GetName(buffer, length), 0);
    EXPECT_EQ(plugin.GetName(buffer, length + 1), 1);
  }
}

// An mx43220 at address 01 with two outputs, answering every request.
class Mx43220 : public ::testing::Test {
 protected:
  void Configure(const char* moduleParams, const char* ao0Params = "3,0,0,10,5,2",
                 const char* ao1Params = "4,1,0,10,7.5,0", std::uint16_t type = host::kTypeFloat32) {
    module_.reset();
    tree_ = std::make_unique<host::HostTree>(1, "MX-43220", moduleParams);
    ao0_ = tree_->AddVariable("AO 0", type, ao0Params);
    ao1_ = tree_->AddVariable("AO 1", type, ao1Params);
  }
  // The module answers the control requests and accepts every output request.
  void AnswerEverything() {
    AnswerControlRequests(bus_, "01", "43220");
    bus_.SetFallback([](const std::string& request) -> std::optional<std::string> {
      if (request.rfind("~013", 0) == 0 || request.rfind("%01", 0) == 0) return "!01";
      if (request.rfind("#01", 0) == 0 || request.rfind("$01", 0) == 0 || request.rfind("~01", 0) == 0) return ">";
      return std::nullopt;
    });
  }
  void Start(std::uint32_t flags, bool checksum = false) {
    bus_.SetChecksum(checksum);
    AnswerEverything();
    module_ = plugin_.CreateModule();
    ASSERT_EQ(module_->Initialize(tree_->Db(), tree_->ModuleNode(), flags, checksum ? 1 : 0), 1);
  }
  Requests Scan() {
    const auto exchanges = runner_.Scan(*module_, bus_);
    for (const auto& exchange : exchanges) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    return ScanRunner::Requests(exchanges);
  }
  Requests ScanIfDue() { return ScanRunner::Requests(runner_.ScanIfDue(*module_, bus_)); }

  host::Plugin plugin_{"mx43220"};
  std::unique_ptr<host::HostTree> tree_;
  host::Var ao0_, ao1_;
  host::Responder bus_{false};
  ScanRunner runner_;
  host::ModulePtr module_;
};

TEST_F(Mx43220, FirstScanSendsTypesStoredValuesThenEachWriteTwice) {
  for (bool checksum : {false, true}) {
    SCOPED_TRACE(checksum ? "checksum on" : "checksum off");
    Configure("00,Continuous,100,2");
    tree_->Set<float>(ao0_, 1.5f);
    tree_->Set<float>(ao1_, 2.0f);
    Start(0, checksum);
    EXPECT_EQ(Scan(), Concat(ControlRequests("%0101050600"),
                             {"$019030", "$019141", "#0102", "#0110", "~0150", "~0151", "#0105", "#0117.5", "$0140",
                              "$0141", "#01001.500", "#01102.000", "#01001.500", "#01102.000"}));
    EXPECT_EQ(ScanIfDue(), Requests{}) << "continuous and unchanged: no scan due";
  }
}

TEST_F(Mx43220, KeepDefaultsFlagLeavesTheStoredValuesAlone) {
  Configure("00,Continuous,100,2");
  tree_->Set<float>(ao0_, 1.5f);
  Start(kKeepDefaults);
  EXPECT_EQ(Scan(), Concat(ControlRequests("%0101050600"),
                           {"$019030", "$019141", "#01001.500", "#01100.000", "#01001.500", "#01100.000"}));

  Configure("00,Periodic,0,0,100,2");
  tree_->Set<float>(ao0_, 1.5f);
  Start(kKeepDefaults | drivertest::kStartOnline);
  EXPECT_EQ(Scan(), (Requests{"#01001.500", "#01100.000"}));
}

TEST_F(Mx43220, ContinuousModeScansAndWritesOnlyChangedOutputs) {
  Configure("00,Continuous,100,2");
  Start(drivertest::kStartOnline);
  EXPECT_EQ(ScanIfDue(), Requests{});
  tree_->Set<float>(ao1_, 3.25f);
  EXPECT_EQ(ScanIfDue(), Requests{"#01103.250"});
  EXPECT_EQ(ScanIfDue(), Requests{});
}

TEST_F(Mx43220, PeriodicAndOnCallModesWriteEveryScan) {
  for (const char* params : {"00,Periodic,0,0,100,2", "00,On Call,100,2"}) {
    SCOPED_TRACE(params);
    Configure(params);
    tree_->Set<float>(ao0_, 1.0f);
    Start(drivertest::kStartOnline);
    for (int scan = 0; scan < 3; ++scan) EXPECT_EQ(Scan(), (Requests{"#01001.000", "#01100.000"}));
  }
}

// Per data format: the configuration write, the stored start-up values and
// the live write of AO 0 (limits 0 and 10, power-on 5, safe 2).
TEST_F(Mx43220, DataFormatsChooseFormatsLimitsAndStartupCodes) {
  struct Case {
    const char* moduleParams;
    std::uint16_t type;
    double value;
    const char* configWrite;
    const char* safe;
    const char* powerOn;
    const char* write;
  };
  const Case cases[] = {
      {"00,Continuous,100,2", host::kTypeFloat32, 5.0, "%0101050600", "#0102", "#0105", "#01005.000"},
      {"00,Continuous,100,2", host::kTypeFloat32, 12.5, "%0101050600", "#0102", "#0105", "#01010.000"},
      {"00,Continuous,100,2", host::kTypeFloat32, -3.0, "%0101050600", "#0102", "#0105", "#01000.000"},
      {"01,Continuous,100,2", host::kTypeFloat64, 5.0, "%0101050601", "#0102", "#0105", "#010+005.00"},
      {"01,Continuous,100,2", host::kTypeFloat64, 50.0, "%0101050601", "#0102", "#0105", "#010+010.00"},
      {"02,Continuous,100,2", host::kTypeUInt32, 1234, "%0101050602", "#010B333", "#010FFFF", "#0104D2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.moduleParams) + " " + std::to_string(c.value));
    module_.reset();
    tree_ = std::make_unique<host::HostTree>(1, "MX-43220", c.moduleParams);
    host::Var ao0 = tree_->AddVariable("AO 0", c.type, "3,0,0,10,5,2");
    if (c.type == host::kTypeUInt32) {
      tree_->Set<std::uint32_t>(ao0, static_cast<std::uint32_t>(c.value));
    } else if (c.type == host::kTypeFloat64) {
      tree_->Set<double>(ao0, c.value);
    } else {
      tree_->Set<float>(ao0, static_cast<float>(c.value));
    }
    Start(0);
    EXPECT_EQ(Scan(), Concat(ControlRequests(c.configWrite),
                             {"$019030", c.safe, "~0150", c.powerOn, "$0140", c.write, c.write}));
  }
}

TEST_F(Mx43220, ValueTextsOfEveryLengthAreFramedWithTheirChecksum) {
  Configure("00,Continuous,100,2", "3,0,0,100000,0,0");
  Start(drivertest::kStartOnline, true);
  struct Step {
    float value;
    const char* write;
  };
  // 12345.678 formats to 9 characters; the module gets the first 8.
  for (const Step& step : {Step{12345.678f, "#01012345.67"}, Step{5.0f, "#01005.000"}, Step{0.5f, "#01000.500"},
                           Step{99999.0f, "#01099999.00"}, Step{1.0f, "#01001.000"}}) {
    tree_->Set<float>(ao0_, step.value);
    const auto exchanges = runner_.Scan(*module_, bus_);  // the runner checks the framing
    ASSERT_EQ(exchanges.size(), 1U);
    EXPECT_EQ(exchanges[0].framed, std::string(step.write) + host::Responder::ChecksumDigits(step.write) + "\r");
  }
}

TEST_F(Mx43220, HexadecimalTextsOfEveryLengthAreFramedWithTheirChecksum) {
  Configure("02,Continuous,100,2", "3,0,0,10,0,0", "3,0,0,10,0,0", host::kTypeUInt32);
  Start(drivertest::kStartOnline, true);
  for (const std::uint32_t value : {0x1234U, 0xFFFU, 0x12345678U, 0x5U, 0xFFFFFFFFU, 0x10U}) {
    tree_->Set<std::uint32_t>(ao0_, value);
    char write[16];
    std::snprintf(write, sizeof write, "#010%X", static_cast<unsigned>(value));
    const auto exchanges = runner_.Scan(*module_, bus_);
    ASSERT_EQ(exchanges.size(), 1U);
    EXPECT_EQ(exchanges[0].framed, std::string(write) + host::Responder::ChecksumDigits(write) + "\r");
  }
}

// A write the module never answered is written again, even though the
// variable did not change since; the scan is due for it alone.
TEST_F(Mx43220, UnansweredWritesAreRepeatedUntilAnswered) {
  Configure("00,Continuous,100,2");
  Start(drivertest::kStartOnline, true);
  tree_->Set<float>(ao0_, 1.0f);
  tree_->Set<float>(ao1_, 2.0f);
  bus_.Silent("#01001.000");
  auto first = runner_.ScanIfDue(*module_, bus_);
  EXPECT_EQ(ScanRunner::Statuses(first), (std::vector<std::uint32_t>{hostabi::kHostTimeout, hostabi::kReplyOk}));
  bus_.Forget("#01001.000");
  EXPECT_EQ(ScanIfDue(), Requests{"#01001.000"});
  EXPECT_EQ(ScanIfDue(), Requests{});
}

// A module lost while a write was queued gets the whole start-up sequence
// and its writes once it answers again.
TEST_F(Mx43220, LostModuleGetsTheStartupSequenceAgain) {
  Configure("00,Continuous,100,2");
  Start(drivertest::kStartOnline);
  bus_.Clear();
  tree_->Set<float>(ao0_, 1.0f);
  // Failure limit 2: the third failure in a row declares the module lost.
  for (int failure = 0; failure < 3; ++failure) EXPECT_EQ(ScanIfDue(), Requests{"#01001.000"});
  AnswerEverything();
  EXPECT_EQ(Scan(), Concat(ControlRequests("%0101050600"),
                           {"$019030", "$019141", "#0102", "#0110", "~0150", "~0151", "#0105", "#0117.5", "$0140",
                            "$0141", "#01001.000", "#01100.000", "#01001.000", "#01100.000"}));
  EXPECT_EQ(ScanIfDue(), Requests{});
}

}  // namespace
