// Analog outputs: the variables "AO 0" to "AO n-1", each configured from its
// node's parameter string (type code, option, low limit, high limit,
// power-on value, safe value) and written with one request per channel.
//
// While the module is offline the group sends every channel's type and
// start-up values, then its writes; once online it writes by the variant's
// rule. A write whose exchange was not answered stays due until the module
// answers it: from the next pass on it counts as changed.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/analog_out/analog_output_variant.h"
#include "groups/analog_out/output_setting_commands.h"
#include "groups/analog_out/output_write_command.h"

namespace rio {

class AnalogOutputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;

  // variant: one of the constant tables (kMx43610Outputs, ...); it must
  // outlive the group.
  explicit AnalogOutputGroup(const AnalogOutputVariant& variant);

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  // Real-time path: true when an output differs from the value last queued,
  // or a queued write was never answered.
  std::uint8_t IsTriggered() override;
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: queues pointers to commands created in CreateCommands.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  // One stored start-up value (power-on or safe) of a channel, in the form
  // the variant sends it.
  struct StartupValue {
    std::unique_ptr<StoredValueCommand> stored;  // ~AA6P / ~AA6S
    std::unique_ptr<OutputWriteCommand> write;   // #AAN with the fixed value
    std::unique_ptr<StoreOutputCommand> store;   // then $AA4N / ~AA5N
  };

  struct Channel {
    IoNode node = nullptr;
    float low = 0;
    float high = 0;
    // 32-bit words compared bytewise: a real's bits, or an integer in
    // hexadecimal data format. All zero counts as sent before the first
    // write.
    std::uint32_t current = 0;
    std::uint32_t lastSent = 0;
    std::unique_ptr<OutputTypeCommand> type;
    StartupValue powerOn;
    StartupValue safe;
    std::unique_ptr<OutputWriteCommand> write;
  };

  void CreateChannelCommands(std::uint32_t index, bool checksum, std::uint16_t address);
  void BuildStartupValue(StartupValue& value, StoreOutputCommand::Target target, std::uint32_t index,
                         const char* text, bool checksum, std::uint16_t address);
  void QueueStartupCommands(RequestQueue& queue);
  bool StartupUnanswered() const;
  void UpdateCurrentValue(Channel& channel);
  static bool HasChanged(const Channel& channel) { return channel.current != channel.lastSent; }

  const AnalogOutputVariant& variant_;
  const std::uint32_t channelCount_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  bool keepDefaults_ = false;
  DataFormat dataFormat_ = DataFormat::TwoDecimals;
  std::uint8_t powerOnMask_ = 0;
  Channel channels_[kMaxChannels];
  std::unique_ptr<PowerOnMaskCommand> powerOnMaskCommand_;
};

}  // namespace rio
