// A module of one of the thermocouple, temperature or LED input drivers at
// address 01 on a scripted bus that accepts every setting and clear.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "drivers/common/driver_fixture.h"

namespace thermotest {

using Requests = std::vector<std::string>;

// Answers the control requests and, with "!01", every setting and clear
// request; reads are scripted by each test.
inline void AnswerSettings(host::Responder& bus, const std::string& moduleCode) {
  drivertest::AnswerControlRequests(bus, "01", moduleCode);
  bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    for (const char* prefix : {"~013", "%01", "$019", "~01C", "@01C", "$017C", "@01A2C", "$018"}) {
      if (request.rfind(prefix, 0) == 0) return std::string("!01");
    }
    return std::nullopt;
  });
}

class Rig {
 public:
  Rig(const char* deliverable, const char* model, const char* moduleCode, const char* params)
      : plugin_(deliverable), tree_(1, model, params), code_(moduleCode) {}

  host::HostTree& Tree() { return tree_; }
  host::Responder& Bus() { return bus_; }
  hostabi::Module& Module() { return *module_; }

  void Start(std::uint32_t flags = 0, bool checksum = false) {
    bus_.SetChecksum(checksum);
    AnswerSettings(bus_, code_);
    module_ = plugin_.CreateModule();
    ASSERT_NE(module_, nullptr);
    ASSERT_EQ(module_->Initialize(tree_.Db(), tree_.ModuleNode(), flags, checksum ? 1 : 0), 1);
  }
  std::vector<host::ScanRunner::Exchange> Scan() { return runner_.Scan(*module_, bus_); }
  Requests ScanRequests() { return host::ScanRunner::Requests(Scan()); }
  // The status of the exchange of one request in a scan (-1: not sent).
  static long StatusOf(const std::vector<host::ScanRunner::Exchange>& scan, const std::string& request) {
    for (const auto& exchange : scan) {
      if (exchange.request == request) return static_cast<long>(exchange.status);
    }
    return -1;
  }

 private:
  host::Plugin plugin_;
  host::HostTree tree_;
  host::Responder bus_{false};
  host::ScanRunner runner_;
  host::ModulePtr module_;
  std::string code_;
};

}  // namespace thermotest
