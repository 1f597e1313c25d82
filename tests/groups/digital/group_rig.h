// Drives one digital group the way the Module does: Bind and CreateCommands
// once, then passes that schedule the group and exchange every queued
// command with a scripted module at address 01.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/channel_group.h"
#include "host/host_tree.h"
#include "host/responder.h"
#include "host/scan_runner.h"

namespace digitaltest {

struct Exchange {
  std::string request;
  std::uint32_t status;
};

struct GroupRig {
  explicit GroupRig(rio::ChannelGroup& driven) : group(driven) {}

  host::Var Bool(const std::string& name, const std::string& params = "") {
    return tree.AddVariable(name, host::kTypeBool, params);
  }
  void Set(const host::Var& var, bool on) { tree.Set<bool>(var, on); }
  bool Get(const host::Var& var) const { return tree.Get<bool>(var); }

  void Start(std::uint32_t flags = 0, bool checksum = false) {
    bus.SetChecksum(checksum);
    group.Bind(reinterpret_cast<::VariableDb*>(tree.Db()), tree.ModuleNode(), flags);
    group.CreateCommands(checksum ? 1 : 0);
  }

  // One scheduling of the group and the exchanges of what it queued.
  std::vector<Exchange> Pass(bool offline, bool writeAll = false) {
    rio::RequestQueue queue;
    group.ScheduleCommands(offline ? 1 : 0, writeAll ? 1 : 0, queue);
    std::vector<Exchange> exchanges;
    for (rio::Command* command : queue) exchanges.push_back(Run(*command));
    return exchanges;
  }
  std::vector<std::string> PassRequests(bool offline, bool writeAll = false) {
    std::vector<std::string> requests;
    for (const Exchange& exchange : Pass(offline, writeAll)) requests.push_back(exchange.request);
    return requests;
  }

  Exchange Run(rio::Command& command) {
    command.Prepare();
    const std::string framed(command.GetRequest(), command.GetRequestLength());
    std::string problem;
    Exchange exchange{host::ScanRunner::PayloadOf(framed, bus.Checksum(), &problem), hostabi::kHostTimeout};
    EXPECT_EQ(problem, "") << framed;
    const auto reply = bus.Answer(exchange.request);
    if (!reply) return exchange;
    const std::size_t n = std::min<std::size_t>(reply->size(), command.GetReplyBufferSize() - 1);
    std::memcpy(command.GetReplyBuffer(), reply->data(), n);
    if (n == 0 || command.GetReplyBuffer()[n - 1] != '\r') return exchange;
    exchange.status = command.ParseReply();
    return exchange;
  }

  rio::ChannelGroup& group;
  host::HostTree tree{1, "MX-TEST", "Continuous,100,2"};
  host::Responder bus{false};
};

using Requests = std::vector<std::string>;

}  // namespace digitaltest
