// The interface through which the Module drives its control group and every
// channel group, always in the Module's fixed group order.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// Bits of the Initialize flags that every group receives in Bind.
constexpr std::uint32_t kFlagStartOnline = 1U << 0;
// Option of the output groups: keep the module's stored defaults.
constexpr std::uint32_t kFlagKeepDefaults = 1U << 1;

class ChannelGroup {
 public:
  virtual ~ChannelGroup() = default;
  // Stores the host handles and finds the group's variables by name.
  virtual void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) = 0;
  // True when the group wants an exchange now (continuous mode decisions).
  virtual std::uint8_t IsTriggered() = 0;
  // Creates the group's commands once and (re)builds their request texts.
  virtual void CreateCommands(std::uint8_t checksum) = 0;
  // Appends the due commands. Real-time path: no allocation beyond the
  // queue's own nodes.
  virtual void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) = 0;

 protected:
  ChannelGroup() = default;
  ChannelGroup(const ChannelGroup&) = delete;
  ChannelGroup& operator=(const ChannelGroup&) = delete;
};

}  // namespace rio
