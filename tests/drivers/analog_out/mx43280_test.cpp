// mx43280 end to end: eight analog outputs with stored power-on and safe
// values, the power-on mask, formats and write rules per scan mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "drivers/common/driver_fixture.h"

namespace {

using drivertest::AnswerControlRequests;
using drivertest::Concat;
using drivertest::ControlRequests;
using host::ScanRunner;
using Requests = std::vector<std::string>;

// An mx43280 at address 01 that accepts every request; outputs are added
// per test.
class Mx43280 : public ::testing::Test {
 protected:
  void Configure(const char* moduleParams) {
    module_.reset();
    tree_ = std::make_unique<host::HostTree>(1, "MX-43280V", moduleParams);
  }
  host::Var Add(const std::string& name, const std::string& params) {
    return tree_->AddVariable(name, host::kTypeFloat32, params);
  }
  void Start(std::uint32_t flags) {
    AnswerControlRequests(bus_, "01", "43280V");
    bus_.SetFallback([](const std::string& request) -> std::optional<std::string> {
      if (request.rfind("~013", 0) == 0 || request.rfind("%01", 0) == 0) return "!01";
      if (request.rfind("#01", 0) == 0 || request.rfind("$01", 0) == 0 || request.rfind("~01", 0) == 0 ||
          request.rfind("@01", 0) == 0) {
        return "!01";
      }
      return std::nullopt;
    });
    module_ = plugin_.CreateModule();
    ASSERT_EQ(module_->Initialize(tree_->Db(), tree_->ModuleNode(), flags, 0), 1);
  }
  Requests Scan() {
    const auto exchanges = runner_.Scan(*module_, bus_);
    for (const auto& exchange : exchanges) EXPECT_EQ(exchange.status, hostabi::kReplyOk) << exchange.request;
    return ScanRunner::Requests(exchanges);
  }
  Requests ScanIfDue() { return ScanRunner::Requests(runner_.ScanIfDue(*module_, bus_)); }

  host::Plugin plugin_{"mx43280"};
  std::unique_ptr<host::HostTree> tree_;
  host::Responder bus_{false};
  ScanRunner runner_;
  host::ModulePtr module_;
};

// Bit 1 of the flags means nothing to this module: the stored values are
// sent with flags 2 as with flags 0.
TEST_F(Mx43280, FirstScanSendsStoredValuesPerChannelThenTheMaskThenEachWriteTwice) {
  const Requests writes = {"#010-02.000", "#015+06.500"};
  struct Case {
    std::uint32_t flags;
    Requests requests;
  };
  const Case cases[] = {
      {0, Concat(ControlRequests("%0101050600"), {"$019010", "~016S0-1", "~016P02.5", "$019521", "~016S54",
                                                  "@01BB20", writes[0], writes[1], writes[0], writes[1]})},
      {2, Concat(ControlRequests("%0101050600"), {"$019010", "~016S0-1", "~016P02.5", "$019521", "~016S54",
                                                  "@01BB20", writes[0], writes[1], writes[0], writes[1]})},
      {3, writes},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    Configure("00,Continuous,100,2");
    tree_->Set<float>(Add("AO 5", "2,1,0,10,R,4"), 6.5f);
    tree_->Set<float>(Add("AO 0", "1,0,-10,10,2.5,-1"), -2.0f);
    Add("AO 8", "1,0,0,10,1,1");  // no such channel
    Start(c.flags);
    EXPECT_EQ(Scan(), c.requests);
    EXPECT_EQ(ScanIfDue(), Requests{});
  }
}

TEST_F(Mx43280, PowerOnTokenRSetsTheChannelsMaskBit) {
  struct Case {
    const char* tokens;  // the power-on token of each channel 0 to 7
    const char* mask;
  };
  const Case cases[] = {
      {"1R1R1111", "@01BB0A"}, {"11111111", "@01BB00"}, {"1111111r", "@01BB80"}, {"RRRRRRRR", "@01BBFF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tokens);
    Configure("00,Continuous,100,2");
    for (int i = 0; i < 8; ++i) {
      Add("AO " + std::to_string(i), std::string("1,0,0,10,") + c.tokens[i] + ",0");
    }
    Start(0);
    const Requests scan = Scan();
    std::size_t powerOnRequests = 0;
    for (const std::string& request : scan) powerOnRequests += request.rfind("~016P", 0) == 0 ? 1 : 0;
    const std::string tokens = c.tokens;
    const auto kept = static_cast<std::size_t>(std::count(tokens.begin(), tokens.end(), 'R') +
                                               std::count(tokens.begin(), tokens.end(), 'r'));
    EXPECT_EQ(powerOnRequests, 8 - kept);
    EXPECT_EQ(std::count(scan.begin(), scan.end(), c.mask), 1);
  }
}

// "R" must be the whole token; in hexadecimal format it is still "R", not
// a number to convert.
TEST_F(Mx43280, OnlyTheWholeTokenRCountsInEveryFormat) {
  Configure("02,Continuous,100,2");
  Add("AO 0", "1,0,0,10,R,5");
  Add("AO 1", "1,0,0,10,RX,5");
  Start(0);
  EXPECT_EQ(Scan(), Concat(ControlRequests("%0101050602"),
                           {"$019010", "~016S0FFFF", "$019110", "~016S1FFFF", "~016P18000", "@01BB01", "#0100",
                            "#0110", "#0100", "#0110"}));
}

TEST_F(Mx43280, WritesFollowTheScanMode) {
  struct Case {
    const char* moduleParams;
    bool everyScan;
  };
  for (const Case& c : {Case{"00,Continuous,100,2", false}, Case{"00,Periodic,0,0,100,2", true},
                        Case{"00,On Call,100,2", true}}) {
    SCOPED_TRACE(c.moduleParams);
    Configure(c.moduleParams);
    host::Var ao3 = Add("AO 3", "1,0,-5,5,0,0");
    host::Var ao7 = Add("AO 7", "1,0,-5000,5000,0,0");
    tree_->Set<float>(ao3, 1.0f);
    Start(drivertest::kStartOnline);
    const Requests both = {"#013+01.000", "#017+00.000"};
    EXPECT_EQ(Scan(), c.everyScan ? both : Requests{"#013+01.000"});
    EXPECT_EQ(Scan(), c.everyScan ? both : Requests{});
    // A text longer than 8 characters is cut: +1234.500 becomes +1234.50.
    tree_->Set<float>(ao7, 1234.5f);
    const Requests longText = {"#013+01.000", "#017+1234.50"};
    EXPECT_EQ(Scan(), c.everyScan ? longText : Requests{"#017+1234.50"});
  }
}

TEST_F(Mx43280, DataFormat01WritesTwoDecimals) {
  Configure("01,Periodic,0,0,100,2");
  tree_->Set<float>(Add("AO 2", "1,0,0,100,0,0"), 50.0f);
  Start(drivertest::kStartOnline);
  EXPECT_EQ(Scan(), Requests{"#012+050.00"});
}

}  // namespace
