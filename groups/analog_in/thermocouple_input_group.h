// Thermocouple inputs: the input values "AI n", the highest and lowest
// values the module recorded ("Max n", "Min n") with their clears
// ("Clear Max n", "Clear Min n"), and, where the module keeps them per
// channel, the CJC offsets ("Set CJC n") with the cold-junction read ("CJC")
// and the compensation switch ("Enable CJC").
//
// The modules differ in data only: which tokens of a channel's parameter
// string mean what, and how many channels a model has. Which functions a
// channel uses is fixed at CreateCommands from those tokens.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "groups/analog_in/analog_read_command.h"
#include "groups/analog_in/cjc_commands.h"
#include "groups/analog_in/clear_extreme_command.h"
#include "groups/analog_in/input_type_command.h"

namespace rio {

struct ChannelCountRow {
  const char* model;  // display name, compared with letter case ignored
  std::uint32_t channels;
};

struct ThermocoupleVariant {
  // Positions of the channel parameter string's tokens, counted from 1;
  // 0 where the module has no such token. A token switches its function on
  // when it begins with E.
  std::uint8_t typeToken;     // the channel's type code (its first two characters are sent)
  std::uint8_t cjcToken;      // the channel's CJC offset; also binds "CJC" and "Enable CJC"
  std::uint8_t extremeToken;  // min/max reads and the channel's clears
  // Channel count by model; a model not listed (or no table) has 8.
  const ChannelCountRow* channelCounts;
  std::size_t channelCountRows;
};

class ThermocoupleInputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kMaxChannels = 10;
  static constexpr std::uint32_t kDefaultChannels = 8;
  // The max and min replies: the first character and seven characters for
  // each of up to ten channels.
  static constexpr std::uint32_t kExtremeReplySize = 1 + kMaxChannels * 7;

  // variant must outlive the group (the drivers pass static tables).
  explicit ThermocoupleInputGroup(const ThermocoupleVariant& variant);
  ~ThermocoupleInputGroup() override;

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  // Real-time path: queues only, allocates nothing beyond the queue's nodes.
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

  std::uint32_t ChannelCount() const { return channelCount_; }

 private:
  struct Channel {
    IoNode offsetNode = nullptr;
    IoNode clearMaxNode = nullptr;
    IoNode clearMinNode = nullptr;
    float recordedOffset = 0;
    std::uint8_t recordedClearMax = 0;
    std::uint8_t recordedClearMin = 0;
    std::unique_ptr<InputTypeCommand> type;
    std::unique_ptr<CjcOffsetCommand> offset;
    std::unique_ptr<ClearExtremeCommand> clearMax;
    std::unique_ptr<ClearExtremeCommand> clearMin;
  };

  void BindChild(IoNode child, const char* name);
  // Sets up one channel's commands; tells whether it uses CJC and min/max.
  void CreateChannelCommands(std::uint32_t n, bool checksum, bool& usesCjc, bool& usesExtremes);
  void QueueOfflineChannel(Channel& channel, RequestQueue& queue);
  void QueueOnlineChannel(Channel& channel, RequestQueue& queue);

  const ThermocoupleVariant& variant_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  std::uint32_t channelCount_ = kDefaultChannels;
  std::uint16_t address_ = 0;

  IoNode inputs_[kMaxChannels] = {};
  IoNode maxNodes_[kMaxChannels] = {};
  IoNode minNodes_[kMaxChannels] = {};
  IoNode cjcNode_ = nullptr;
  IoNode enableNode_ = nullptr;
  std::uint8_t recordedEnable_ = 0;
  Channel channels_[kMaxChannels];

  std::unique_ptr<AnalogReadCommand> inputRead_;
  std::unique_ptr<CjcReadCommand> cjcRead_;
  std::unique_ptr<CjcEnableCommand> enable_;
  std::unique_ptr<AnalogReadCommand> maxRead_;
  std::unique_ptr<AnalogReadCommand> minRead_;
};

}  // namespace rio
