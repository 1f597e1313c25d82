#include "groups/analog_in/temperature_input_group.h"

#include "framework/node_binding.h"
#include "framework/tokens.h"
#include "framework/value_access.h"
#include "groups/analog_in/analog_input_group.h"
#include "groups/analog_in/channel_tokens.h"
#include "groups/analog_in/host_setting.h"

namespace rio {

TemperatureInputGroup::TemperatureInputGroup() = default;

TemperatureInputGroup::~TemperatureInputGroup() = default;

void TemperatureInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  BindNumberedChildren(moduleNode, "AI ", inputs_, kChannels);
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    const NodeName name = NameOf(child);
    std::int32_t n = -1;
    const auto numbered = [&](const char* prefix) {
      n = -1;
      return ScanNumberedName(name.text, prefix, n) && n >= 0 && static_cast<std::uint32_t>(n) < kChannels;
    };
    if (numbered("CJC ")) {
      channels_[n].offsetNode = child;
    } else if (numbered("Temp ")) {
      channels_[n].tempNode = child;
    }
  }
}

void TemperatureInputGroup::CreateCommands(std::uint8_t checksum) {
  const bool withChecksum = checksum != 0;
  for (std::uint32_t n = 0; n < kChannels; ++n) {
    if (inputs_[n] != nullptr) CreateChannelCommands(n, withChecksum);
  }
  if (!inputRead_) inputRead_ = std::make_unique<AnalogReadCommand>(withChecksum);
  inputRead_->Configure("#AA", ModuleAddressOf(moduleNode_), db_, inputs_, kChannels,
                        ReadFormatFor(ModuleParamsOf(moduleNode_).text));
}

void TemperatureInputGroup::CreateChannelCommands(std::uint32_t n, bool checksum) {
  Channel& channel = channels_[n];
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  const ChannelTokens tokens(ParamsOf(inputs_[n]).text);
  if (HasTypeCode(tokens.At(1))) {
    if (!channel.type) channel.type = std::make_unique<InputTypeCommand>(checksum);
    channel.type->Build(address, n, tokens.At(1));
  } else {
    channel.type.reset();
  }
  channel.offset.reset();
  if (channel.offsetNode != nullptr) {
    channel.offset = std::make_unique<CjcOffsetCommand>(checksum, CjcOffsetForm::Channel);
    channel.offset->Build(address, n, db_, channel.offsetNode);
  }
  channel.temp.reset();
  if (channel.tempNode != nullptr) {
    channel.temp = std::make_unique<ChannelTempCommand>(checksum);
    channel.temp->Build(address, n, db_, channel.tempNode);
  }
}

void TemperatureInputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  if (offline != 0) {
    // The module may have been replaced or reset while it was away.
    for (Channel& channel : channels_) {
      Enqueue(queue, channel.type.get());
      QueueSetting(queue, channel.offset.get(), GetFloat(db_, channel.offsetNode), channel.recordedOffset);
      QueueSetting(queue, channel.temp.get(), GetFloat(db_, channel.tempNode), channel.recordedTemp);
    }
  }
  Enqueue(queue, inputRead_.get());
  if (offline != 0) return;
  for (Channel& channel : channels_) {
    QueueSettingIfDue(queue, channel.offset.get(), GetFloat(db_, channel.offsetNode), channel.recordedOffset);
    QueueSettingIfDue(queue, channel.temp.get(), GetFloat(db_, channel.tempNode), channel.recordedTemp);
  }
}

}  // namespace rio
