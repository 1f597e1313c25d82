#include "groups/analog_in/thermocouple_input_group.h"

#include <cstring>

#include "framework/tokens.h"
#include "framework/value_access.h"
#include "groups/analog_in/channel_tokens.h"
#include "groups/analog_in/host_setting.h"

namespace rio {
namespace {

template <class CommandType, class... Args>
CommandType& Ensure(std::unique_ptr<CommandType>& command, Args... args) {
  if (!command) command = std::make_unique<CommandType>(args...);
  return *command;
}

}  // namespace

ThermocoupleInputGroup::ThermocoupleInputGroup(const ThermocoupleVariant& variant) : variant_(variant) {}

ThermocoupleInputGroup::~ThermocoupleInputGroup() = default;

void ThermocoupleInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  channelCount_ = kDefaultChannels;
  const ModelName model = ModelNameOf(moduleNode);
  for (std::size_t i = 0; i < variant_.channelCountRows; ++i) {
    if (EqualsIgnoringCase(variant_.channelCounts[i].model, model.text)) {
      const std::uint32_t count = variant_.channelCounts[i].channels;
      channelCount_ = count < kMaxChannels ? count : kMaxChannels;
      break;
    }
  }
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    BindChild(child, NameOf(child).text);
  }
}

void ThermocoupleInputGroup::BindChild(IoNode child, const char* name) {
  const bool withCjc = variant_.cjcToken != 0;
  if (withCjc && std::strcmp(name, "CJC") == 0) {
    cjcNode_ = child;
    return;
  }
  if (withCjc && std::strcmp(name, "Enable CJC") == 0) {
    enableNode_ = child;
    return;
  }
  std::int32_t n = -1;
  const auto numbered = [&](const char* prefix) {
    n = -1;
    return ScanNumberedName(name, prefix, n) && n >= 0 && static_cast<std::uint32_t>(n) < channelCount_;
  };
  if (numbered("AI ")) {
    inputs_[n] = child;
  } else if (numbered("Max ")) {
    maxNodes_[n] = child;
  } else if (numbered("Min ")) {
    minNodes_[n] = child;
  } else if (numbered("Clear Max ")) {
    channels_[n].clearMaxNode = child;
  } else if (numbered("Clear Min ")) {
    channels_[n].clearMinNode = child;
  } else if (withCjc && numbered("Set CJC ")) {
    channels_[n].offsetNode = child;
  }
}

void ThermocoupleInputGroup::CreateCommands(std::uint8_t checksum) {
  const bool withChecksum = checksum != 0;
  address_ = ModuleAddressOf(moduleNode_);
  bool usesCjc = false;
  bool usesExtremes = false;
  for (std::uint32_t n = 0; n < channelCount_; ++n) {
    if (inputs_[n] != nullptr) CreateChannelCommands(n, withChecksum, usesCjc, usesExtremes);
  }

  const ReadFormat format = ReadFormatFor(ModuleParamsOf(moduleNode_).text);
  Ensure(inputRead_, withChecksum).Configure("#AA", address_, db_, inputs_, channelCount_, format);
  if (usesCjc) {
    Ensure(cjcRead_, withChecksum).Build(address_, db_, cjcNode_);
    Ensure(enable_, withChecksum).Build(address_, db_, enableNode_);
  }
  if (usesExtremes) {
    Ensure(maxRead_, withChecksum, 5U, kExtremeReplySize)
        .Configure("@AARH", address_, db_, maxNodes_, channelCount_, format);
    Ensure(minRead_, withChecksum, 5U, kExtremeReplySize)
        .Configure("@AARL", address_, db_, minNodes_, channelCount_, format);
  }
}

void ThermocoupleInputGroup::CreateChannelCommands(std::uint32_t n, bool checksum, bool& usesCjc,
                                                   bool& usesExtremes) {
  Channel& channel = channels_[n];
  const ChannelTokens tokens(ParamsOf(inputs_[n]).text);

  const char* typeToken = tokens.At(variant_.typeToken);
  if (HasTypeCode(typeToken)) {
    Ensure(channel.type, checksum).Build(address_, n, typeToken);
  } else {
    channel.type.reset();
  }

  channel.offset.reset();
  if (IsOnToken(tokens.At(variant_.cjcToken))) {
    usesCjc = true;
    if (channel.offsetNode != nullptr) {
      channel.offset = std::make_unique<CjcOffsetCommand>(checksum, CjcOffsetForm::Channel);
      channel.offset->Build(address_, n, db_, channel.offsetNode);
    }
  }

  channel.clearMax.reset();
  channel.clearMin.reset();
  if (IsOnToken(tokens.At(variant_.extremeToken))) {
    usesExtremes = true;
    if (channel.clearMaxNode != nullptr) Ensure(channel.clearMax, checksum).Build(address_, Extreme::Max, n);
    if (channel.clearMinNode != nullptr) Ensure(channel.clearMin, checksum).Build(address_, Extreme::Min, n);
  }
}

void ThermocoupleInputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  if (offline != 0) {
    for (std::uint32_t n = 0; n < channelCount_; ++n) QueueOfflineChannel(channels_[n], queue);
  }
  Enqueue(queue, inputRead_.get());
  Enqueue(queue, cjcRead_.get());
  const std::uint8_t enable = GetBool(db_, enableNode_);
  if (offline != 0) {
    QueueSetting(queue, enable_.get(), enable, recordedEnable_);
  } else {
    QueueSettingIfDue(queue, enable_.get(), enable, recordedEnable_);
  }
  Enqueue(queue, maxRead_.get());
  Enqueue(queue, minRead_.get());
  if (offline == 0) {
    for (std::uint32_t n = 0; n < channelCount_; ++n) QueueOnlineChannel(channels_[n], queue);
  }
}

// Type codes, offsets and clears all go out again: the module may have
// been replaced or reset while it was away.
void ThermocoupleInputGroup::QueueOfflineChannel(Channel& channel, RequestQueue& queue) {
  Enqueue(queue, channel.type.get());
  QueueSetting(queue, channel.offset.get(), GetFloat(db_, channel.offsetNode), channel.recordedOffset);
  if (channel.clearMax) {
    Enqueue(queue, channel.clearMax.get());
    channel.recordedClearMax = GetBool(db_, channel.clearMaxNode);
  }
  if (channel.clearMin) {
    Enqueue(queue, channel.clearMin.get());
    channel.recordedClearMin = GetBool(db_, channel.clearMinNode);
  }
}

// Offsets on change (or while the module has not received them); clears
// on a rising edge of their variable only.
void ThermocoupleInputGroup::QueueOnlineChannel(Channel& channel, RequestQueue& queue) {
  QueueSettingIfDue(queue, channel.offset.get(), GetFloat(db_, channel.offsetNode), channel.recordedOffset);
  const auto edge = [&](ClearExtremeCommand* command, IoNode node, std::uint8_t& recorded) {
    if (command == nullptr) return;
    const std::uint8_t level = GetBool(db_, node);
    if (level != 0 && level != recorded) Enqueue(queue, command);
    recorded = level;
  };
  edge(channel.clearMax.get(), channel.clearMaxNode, channel.recordedClearMax);
  edge(channel.clearMin.get(), channel.clearMinNode, channel.recordedClearMin);
}

}  // namespace rio
