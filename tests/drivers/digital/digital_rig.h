// One digital module at address 01, loaded from its deliverable and scanned
// the way the runtime scans it. The scripted module answers the control
// requests, every output write and store (@01 with digits, ~015...) and
// every counter clear; the state read "@01" and the counter reads are left
// to each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "drivers/common/driver_fixture.h"

namespace digitaltest {

using host::ScanRunner;

// Initialize flag of the output groups: keep the module's stored patterns.
constexpr std::uint32_t kKeepDefaults = 2;

struct Rig {
  Rig(const char* deliverable, const char* model, const char* params = "Continuous,100,2")
      : plugin(deliverable), tree(1, model, params) {}

  host::Var Bool(const std::string& name, const std::string& params = "") {
    return tree.AddVariable(name, host::kTypeBool, params);
  }
  void Set(const host::Var& var, bool on) { tree.Set<bool>(var, on); }
  bool Get(const host::Var& var) const { return tree.Get<bool>(var); }

  // flags: the Initialize flags (drivertest::kStartOnline skips the offline
  // pass); code: what the module answers to the name query.
  void Start(const std::string& code, std::uint32_t flags = drivertest::kStartOnline, bool checksum = false) {
    bus.SetChecksum(checksum);
    bus.On("~011", "!01");
    bus.On("$01M", "!01" + code);
    bus.On("$012", "!01050600");
    bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
      if (request.rfind("~01", 0) == 0 || request.rfind("%01", 0) == 0 || request.rfind("$01C", 0) == 0) {
        return std::string("!01");
      }
      const bool write = request.size() > 3 && request.rfind("@01", 0) == 0 &&
                         request.find_first_not_of("0123456789ABCDEF", 3) == std::string::npos;
      if (write) return std::string(">");
      return std::nullopt;
    });
    module = plugin.CreateModule();
    ASSERT_NE(module, nullptr);
    ASSERT_EQ(module->Initialize(tree.Db(), tree.ModuleNode(), flags, checksum ? 1 : 0), 1);
  }

  std::vector<ScanRunner::Exchange> Scan() { return runner.Scan(*module, bus); }
  std::vector<std::string> ScanRequests() { return ScanRunner::Requests(Scan()); }
  // The requests of a scan when the Module says one is due; {} otherwise.
  std::vector<std::string> ScanRequestsIfDue() { return ScanRunner::Requests(runner.ScanIfDue(*module, bus)); }

  host::Plugin plugin;
  host::HostTree tree;
  host::Responder bus{false};
  ScanRunner runner;
  host::ModulePtr module;
};

// The control requests of an offline pass of these drivers: their parameter
// string has no data format, so the configuration goes back as read.
inline std::vector<std::string> OfflineControlRequests() { return drivertest::ControlRequests("%0101050600"); }

using Requests = std::vector<std::string>;

}  // namespace digitaltest
