// The digital inputs of a bank module: one "@" read per scan for every input
// state, and a counter read for each channel configured with a counter,
// preceded by a clear when the channel's reset variable rose.
//
// The family is data: its channel table (model name to input count) and
// where the inputs lie in the module's state word.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/digital/counter_channels.h"
#include "groups/digital/digital_channels.h"
#include "groups/digital/read_commands.h"

namespace rio {

class BankInputGroup final : public ChannelGroup {
 public:
  // channels must outlive the group (a constant table of the driver).
  BankInputGroup(const ChannelTable& channels, StateMask inputMask);

  // The input count comes from the channel table by the module's model name.
  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  // Inputs change at any time.
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: the read, then per channel an optional clear and the
  // counter read, so a read after a clear returns the cleared value.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  const ChannelTable& table_;
  const StateMask inputMask_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  CounterChannels channels_;
  std::unique_ptr<BankReadCommand> read_;
};

}  // namespace rio
