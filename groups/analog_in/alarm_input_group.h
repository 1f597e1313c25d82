// Analog inputs with a high and a low alarm in the module: "AI n" (value;
// parameter string: type code, coefficients, alarm settings), "Clear High n"
// and "Clear Low n" (a rising edge clears the latched alarm).
//
// Channel parameter string, tokens in order:
//   type code                       first two characters are sent
//   A, B, C coefficient texts       only for type codes 70 to 77, where the
//                                   variant has coefficients
//   high mode [, limit, output]     mode starting with "D": alarm disabled,
//                                   no further high token
//   low mode [, limit, output]      the same for the low alarm
// An alarm whose tokens run out, or whose limit is longer than the request
// has room for, is not sent (and gets no clear request); coefficients whose
// three texts are not all present are not sent for that channel.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/channel_group.h"
#include "framework/tokens.h"
#include "groups/analog_in/alarm_commands.h"
#include "groups/analog_in/analog_read_command.h"
#include "groups/analog_in/input_type_command.h"

namespace rio {

// What differs between the modules that carry this group.
struct AlarmInputVariant {
  std::uint32_t channels;          // 6 or 8
  bool coefficients;               // type codes 70 to 77 carry three coefficient texts
  bool disableAbsentChannels;      // a channel without "AI n" gets its alarms disabled
  std::uint32_t widthForFormat03;  // field width of data format "03"
};

// The mixed module: six channels.
extern const AlarmInputVariant kMixedModuleAlarmInputs;
// The eight-channel alarm input modules with coefficient settings.
extern const AlarmInputVariant kEightChannelAlarmInputs;

class AlarmInputGroup final : public ChannelGroup {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;
  static constexpr std::uint32_t kCoefficientTypes = 8;  // type codes 70 to 77

  explicit AlarmInputGroup(const AlarmInputVariant& variant);

  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) override;
  std::uint8_t IsTriggered() override { return 1; }
  void CreateCommands(std::uint8_t checksum) override;
  void ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) override;

 private:
  struct Alarm {
    std::unique_ptr<Command> setting;  // the setting, or the disable request
    std::unique_ptr<AlarmControlCommand> clear;  // only while the alarm is enabled
    IoNode clearNode = nullptr;
    std::uint8_t lastClear = 0;
  };
  struct Channel {
    std::unique_ptr<InputTypeCommand> type;
    Alarm alarms[2];  // high, low
  };
  struct CoefficientSet {
    std::unique_ptr<CoefficientCommand> commands[3];  // A, B, C
  };

  void CreateChannelCommands(std::uint32_t channel, bool checksum, std::uint16_t address);
  void CreateAlarmCommands(std::uint32_t channel, AlarmSide side, bool checksum, std::uint16_t address,
                           TokenReader& tokens);
  void QueueClearOnEdge(Alarm& alarm, RequestQueue& queue);

  const AlarmInputVariant& variant_;
  VariableDb* db_ = nullptr;
  IoNode moduleNode_ = nullptr;
  Channel channels_[kMaxChannels];
  IoNode inputNodes_[kMaxChannels] = {};  // "AI n"; also the read command's channel table
  CoefficientSet coefficientSets_[kCoefficientTypes];
  std::unique_ptr<AnalogReadCommand> read_;
};

}  // namespace rio
