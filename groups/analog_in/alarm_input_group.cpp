#include "groups/analog_in/alarm_input_group.h"

#include "framework/node_binding.h"
#include "framework/tokens.h"
#include "framework/value_access.h"

namespace rio {

const AlarmInputVariant kMixedModuleAlarmInputs{6, false, true, 7};
const AlarmInputVariant kEightChannelAlarmInputs{8, true, false, 9};

AlarmInputGroup::AlarmInputGroup(const AlarmInputVariant& variant) : variant_(variant) {}

void AlarmInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  const std::uint32_t count = variant_.channels < kMaxChannels ? variant_.channels : kMaxChannels;
  IoNode clearHigh[kMaxChannels] = {};
  IoNode clearLow[kMaxChannels] = {};
  BindNumberedChildren(moduleNode, "AI ", inputNodes_, count);
  BindNumberedChildren(moduleNode, "Clear High ", clearHigh, count);
  BindNumberedChildren(moduleNode, "Clear Low ", clearLow, count);
  for (std::uint32_t i = 0; i < count; ++i) {
    channels_[i].alarms[0].clearNode = clearHigh[i];
    channels_[i].alarms[1].clearNode = clearLow[i];
  }
}

void AlarmInputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  const bool withChecksum = checksum != 0;
  for (std::uint32_t i = 0; i < variant_.channels && i < kMaxChannels; ++i) {
    CreateChannelCommands(i, withChecksum, address);
  }
  if (!read_) read_ = std::make_unique<AnalogReadCommand>(withChecksum);
  read_->Configure("#AA", address, db_, inputNodes_, variant_.channels,
                   ReadFormatFor(ModuleParamsOf(moduleNode_).text, variant_.widthForFormat03));
}

void AlarmInputGroup::CreateChannelCommands(std::uint32_t channel, bool checksum, std::uint16_t address) {
  Channel& c = channels_[channel];
  if (inputNodes_[channel] == nullptr) {
    if (!variant_.disableAbsentChannels) return;
    for (AlarmSide side : {AlarmSide::High, AlarmSide::Low}) {
      Alarm& alarm = c.alarms[side == AlarmSide::High ? 0 : 1];
      auto disable = std::make_unique<AlarmControlCommand>(checksum, AlarmControlCommand::Kind::Disable, side);
      disable->Build(address, channel);
      alarm.setting = std::move(disable);
      alarm.clear.reset();
    }
    return;
  }

  const ParamText params = ParamsOf(inputNodes_[channel]);
  TokenReader tokens(params.text);
  const char* typeCode = tokens.Next();
  if (typeCode != nullptr) {
    if (!c.type) c.type = std::make_unique<InputTypeCommand>(checksum);
    c.type->Build(address, channel, typeCode);
  } else {
    c.type.reset();
  }

  std::uint32_t code = 0;
  if (variant_.coefficients && ReadHex(typeCode, code) && code >= 0x70 && code <= 0x77) {
    const char* values[3] = {tokens.Next(), tokens.Next(), tokens.Next()};
    if (values[0] != nullptr && values[1] != nullptr && values[2] != nullptr) {
      CoefficientSet& set = coefficientSets_[code - 0x70];
      const char letters[3] = {'A', 'B', 'C'};
      for (int k = 0; k < 3; ++k) {
        if (!set.commands[k]) set.commands[k] = std::make_unique<CoefficientCommand>(checksum);
        set.commands[k]->Build(address, letters[k], typeCode, values[k]);
      }
    }
  }
  CreateAlarmCommands(channel, AlarmSide::High, checksum, address, tokens);
  CreateAlarmCommands(channel, AlarmSide::Low, checksum, address, tokens);
}

void AlarmInputGroup::CreateAlarmCommands(std::uint32_t channel, AlarmSide side, bool checksum,
                                          std::uint16_t address, TokenReader& tokens) {
  Alarm& alarm = channels_[channel].alarms[side == AlarmSide::High ? 0 : 1];
  alarm.setting.reset();
  alarm.clear.reset();
  const char* mode = tokens.Next();
  if (mode == nullptr) return;
  if (mode[0] == 'D') {
    auto disable = std::make_unique<AlarmControlCommand>(checksum, AlarmControlCommand::Kind::Disable, side);
    disable->Build(address, channel);
    alarm.setting = std::move(disable);
    return;
  }
  const char* limit = tokens.Next();
  const char* output = tokens.Next();
  if (limit == nullptr || output == nullptr) return;
  auto setting = std::make_unique<AlarmSetCommand>(checksum);
  if (!setting->Build(address, side, channel, limit, mode[0], output[0])) return;
  alarm.setting = std::move(setting);
  alarm.clear = std::make_unique<AlarmControlCommand>(checksum, AlarmControlCommand::Kind::ClearLatch, side);
  alarm.clear->Build(address, channel);
}

void AlarmInputGroup::QueueClearOnEdge(Alarm& alarm, RequestQueue& queue) {
  if (alarm.clearNode == nullptr) return;
  const std::uint8_t value = GetBool(db_, alarm.clearNode);
  if (value == 1 && alarm.lastClear == 0) Enqueue(queue, alarm.clear.get());
  alarm.lastClear = value;
}

void AlarmInputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  const std::uint32_t count = variant_.channels < kMaxChannels ? variant_.channels : kMaxChannels;
  if (offline != 0) {
    for (std::uint32_t i = 0; i < count; ++i) {
      Enqueue(queue, channels_[i].type.get());
      Enqueue(queue, channels_[i].alarms[0].setting.get());
      Enqueue(queue, channels_[i].alarms[1].setting.get());
    }
    for (CoefficientSet& set : coefficientSets_) {
      for (auto& command : set.commands) Enqueue(queue, command.get());
    }
  }
  Enqueue(queue, read_.get());
  for (std::uint32_t i = 0; i < count; ++i) {
    QueueClearOnEdge(channels_[i].alarms[0], queue);
    QueueClearOnEdge(channels_[i].alarms[1], queue);
  }
}

}  // namespace rio
