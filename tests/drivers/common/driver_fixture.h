// Shared pieces of the end-to-end driver tests: a plug-in loaded through its
// exports, a host tree, a scripted module that answers the control requests,
// and a runner that scans the way the runtime does.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_tree.h"
#include "host/plugin.h"
#include "host/responder.h"
#include "host/scan_runner.h"

namespace drivertest {

// Initialize flags.
constexpr std::uint32_t kStartOnline = 1;

// A module at the given address that answers the five control requests:
// the name query with moduleCode, the configuration read with config
// (TTCCFF), and any configuration write.
inline void AnswerControlRequests(host::Responder& bus, const std::string& addr, const std::string& moduleCode,
                                  const std::string& config = "050600") {
  bus.On("~" + addr + "1", "!" + addr);
  bus.On("$" + addr + "M", "!" + addr + moduleCode);
  bus.On("$" + addr + "2", "!" + addr + config);
  bus.SetFallback([addr](const std::string& request) -> std::optional<std::string> {
    if (request.rfind("~" + addr + "3", 0) == 0 || request.rfind("%" + addr, 0) == 0) return "!" + addr;
    return std::nullopt;
  });
}

// The five control requests of an offline pass, for address 01 with the
// watchdog off and the given configuration write.
inline std::vector<std::string> ControlRequests(const std::string& write) {
  return {"~011", "~013000", "$01M", "$012", write};
}

inline std::vector<std::string> Concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace drivertest
