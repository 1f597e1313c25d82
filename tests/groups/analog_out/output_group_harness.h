// One AnalogOutputGroup on a host tree at address 01, driven directly
// through the ChannelGroup interface, its queued commands exchanged in
// order with a scripted module that accepts everything unless told
// otherwise.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "groups/analog_out/analog_output_group.h"
#include "host/host_tree.h"
#include "host/responder.h"
#include "host/scan_runner.h"

namespace rio {
namespace testing_outputs {

// The scheduling arguments the Module passes in each situation.
struct Mode {
  const char* name;
  std::uint8_t offline;
  std::uint8_t writeAll;
};
constexpr Mode kOffline{"offline", 1, 1};
constexpr Mode kContinuousOnline{"continuous, online", 0, 0};
constexpr Mode kOtherModesOnline{"periodic or on call, online", 0, 1};

class OutputGroupHarness {
 public:
  OutputGroupHarness(const AnalogOutputVariant& variant, const char* moduleParams)
      : tree(1, "MX-TEST", moduleParams), group(variant) {
    bus.SetFallback([](const std::string&) -> std::optional<std::string> { return "!01"; });
  }

  host::Var AddOutput(const std::string& name, const std::string& params,
                      std::uint16_t type = host::kTypeFloat32) {
    return tree.AddVariable(name, type, params);
  }

  void Start(std::uint32_t flags = 0, bool checksum = false) {
    bus.SetChecksum(checksum);
    group.Bind(reinterpret_cast<VariableDb*>(tree.Db()), tree.ModuleNode(), flags);
    group.CreateCommands(checksum ? 1 : 0);
  }

  // The commands of one scheduling pass, without exchanging them.
  RequestQueue Schedule(const Mode& mode) {
    RequestQueue queue;
    group.ScheduleCommands(mode.offline, mode.writeAll, queue);
    return queue;
  }

  // One scheduling pass; every queued command is prepared, its framing
  // checked, and exchanged with the bus. Returns the request payloads.
  std::vector<std::string> Pass(const Mode& mode) {
    std::vector<std::string> requests;
    for (Command* command : Schedule(mode)) requests.push_back(Exchange(*command));
    return requests;
  }

  std::string Exchange(Command& command) {
    command.Prepare();
    const std::string framed(command.GetRequest(), command.GetRequestLength());
    std::string problem;
    const std::string payload = host::ScanRunner::PayloadOf(framed, bus.Checksum(), &problem);
    EXPECT_EQ(problem, "") << "request " << payload;
    const std::optional<std::string> reply = bus.Answer(payload);
    if (reply) {
      char* buffer = command.GetReplyBuffer();
      const std::size_t room = command.GetReplyBufferSize() - 1;
      reply->copy(buffer, reply->size() < room ? reply->size() : room);
      command.ParseReply();
    }
    return payload;
  }

  host::HostTree tree;
  AnalogOutputGroup group;
  host::Responder bus{false};
};

}  // namespace testing_outputs
}  // namespace rio
