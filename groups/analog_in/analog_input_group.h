// Analog inputs read all at once: the variables "AI 0" to "AI n-1", one read
// request per scan, values decoded by the module's data format.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/analog_in/analog_read_command.h"

namespace rio {

class AnalogInputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;

  explicit AnalogInputGroup(std::uint32_t channelCount);

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  const std::uint32_t channelCount_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  IoNode channels_[kMaxChannels] = {};
  std::unique_ptr<AnalogReadCommand> read_;
};

}  // namespace rio
