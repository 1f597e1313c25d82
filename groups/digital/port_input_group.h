// The two digital inputs of a port module: one port read (@AADI) per scan
// and the eight-digit counters of the channels configured with a counter.
// While the module is offline (the first scan, and again after it was
// declared lost) every counter is cleared before the read.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/digital/counter_channels.h"
#include "groups/digital/read_commands.h"

namespace rio {

class PortInputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kChannels = 2;

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  // Inputs change at any time.
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: offline, every counter's clear; then the read and, per
  // channel, an optional clear on a rising reset variable and the counter
  // read.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  CounterChannels channels_;
  std::unique_ptr<PortReadCommand> read_;
};

}  // namespace rio
