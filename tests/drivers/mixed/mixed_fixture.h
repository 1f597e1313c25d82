// Shared pieces of the mixed-module and alarm-input driver tests: a scripted
// module that acknowledges every setting and answers the reads.
#pragma once

#include <optional>
#include <string>

#include "drivers/common/driver_fixture.h"

namespace drivertest {

// Answers the control requests, acknowledges settings and writes with
// "!01", and answers the reads of the alarm inputs (fields of the given
// width, count channels), the port inputs and the port counters.
inline void AnswerMixedModule(host::Responder& bus, const std::string& code, int channels, int width) {
  bus.On("~011", "!01");
  bus.On("$01M", "!01" + code);
  bus.On("$012", "!01050600");
  std::string fields;
  for (int i = 0; i < channels; ++i) {
    std::string field = "+" + std::string(static_cast<std::size_t>(width) - 6, '0') + std::to_string(i) + ".250";
    fields += field;
  }
  bus.On("#01", ">" + fields);
  bus.On("@01DI", "!010002");
  bus.SetFallback([](const std::string& request) -> std::optional<std::string> {
    if (request.rfind("@01REC", 0) == 0) return "!010000002A";
    return "!01";
  });
}

}  // namespace drivertest
