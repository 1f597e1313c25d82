// Temperature inputs of eight channels: the input values "AI n" and, per
// channel, three settings: the type code from the channel's parameter
// string, the CJC offset "CJC n" and the temperature setting "Temp n".
// Type codes go out at every offline pass; the offset and the temperature
// setting at every offline pass and whenever their value changes.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/analog_in/analog_read_command.h"
#include "groups/analog_in/channel_temp_command.h"
#include "groups/analog_in/cjc_commands.h"
#include "groups/analog_in/input_type_command.h"

namespace rio {

class TemperatureInputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kChannels = 8;

  TemperatureInputGroup();
  ~TemperatureInputGroup() override;

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: queues only, allocates nothing beyond the queue's nodes.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  // A channel without a bound "AI n" has no commands at all.
  struct Channel {
    IoNode offsetNode = nullptr;
    IoNode tempNode = nullptr;
    float recordedOffset = 0;
    float recordedTemp = 0;
    std::unique_ptr<InputTypeCommand> type;
    std::unique_ptr<CjcOffsetCommand> offset;
    std::unique_ptr<ChannelTempCommand> temp;
  };

  void CreateChannelCommands(std::uint32_t n, bool checksum);

  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  IoNode inputs_[kChannels] = {};
  Channel channels_[kChannels];
  std::unique_ptr<AnalogReadCommand> inputRead_;
};

}  // namespace rio
