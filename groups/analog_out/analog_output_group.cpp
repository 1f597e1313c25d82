#include "groups/analog_out/analog_output_group.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/tokens.h"
#include "framework/value_access.h"

namespace rio {
namespace {

std::uint32_t BoundedChannelCount(std::uint32_t count) {
  return count < AnalogOutputGroup::kMaxChannels ? count : AnalogOutputGroup::kMaxChannels;
}

float ReadLimit(const char* token) { return static_cast<float>(std::atof(token)); }

// The text a start-up value token is sent as: the token itself, or in
// hexadecimal data format the four-digit code of its value.
struct StartupText {
  char text[OutputWriteCommand::kValueRoom + 1];
};
StartupText StartupTextOf(const char* token, DataFormat format, float low, float high) {
  StartupText result{};
  if (format == DataFormat::Hexadecimal) {
    std::snprintf(result.text, sizeof result.text, "%04X",
                  static_cast<unsigned>(HexStartupCode(static_cast<float>(std::atof(token)), low, high)));
  } else {
    // The commands use at most 8 characters of a value text.
    std::snprintf(result.text, sizeof result.text, "%s", token);
  }
  return result;
}

}  // namespace

AnalogOutputGroup::AnalogOutputGroup(const AnalogOutputVariant& variant)
    : variant_(variant), channelCount_(BoundedChannelCount(variant.channelCount)) {}

void AnalogOutputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) {
  db_ = db;
  moduleNode_ = moduleNode;
  keepDefaults_ = variant_.honoursKeepDefaults && (flags & kFlagKeepDefaults) != 0;
  dataFormat_ = DataFormatOf(ModuleParamsOf(moduleNode).text);
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    std::int32_t number = -1;
    if (ScanNumberedName(NameOf(child).text, "AO ", number) && number >= 0 &&
        static_cast<std::uint32_t>(number) < channelCount_) {
      channels_[number].node = child;
    }
  }
}

void AnalogOutputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  powerOnMask_ = 0;
  for (std::uint32_t i = 0; i < channelCount_; ++i) {
    if (channels_[i].node != nullptr) CreateChannelCommands(i, checksum != 0, address);
  }
  if (variant_.powerOnMask) {
    if (!powerOnMaskCommand_) powerOnMaskCommand_ = std::make_unique<PowerOnMaskCommand>(checksum != 0);
    powerOnMaskCommand_->Build(address, powerOnMask_);
  }
}

// Tokens: type code, option, low limit, high limit, power-on value, safe
// value. A missing token reads as an empty text (limits: 0), so a short
// string still builds every command, with shorter texts.
void AnalogOutputGroup::CreateChannelCommands(std::uint32_t index, bool checksum, std::uint16_t address) {
  Channel& channel = channels_[index];
  const ParamText params = ParamsOf(channel.node);
  TokenReader tokens(params.text);
  const char* typeToken = tokens.NextOrEmpty();
  const char* optionToken = tokens.NextOrEmpty();
  channel.low = ReadLimit(tokens.NextOrEmpty());
  channel.high = ReadLimit(tokens.NextOrEmpty());
  const char* powerOnToken = tokens.NextOrEmpty();
  const char* safeToken = tokens.NextOrEmpty();

  if (!channel.type) channel.type = std::make_unique<OutputTypeCommand>(checksum, variant_.typeCodeLength);
  channel.type->Build(address, index, typeToken, optionToken);

  // "R" is read from the token itself, before any hexadecimal conversion.
  if (variant_.powerOnMask && EqualsIgnoringCase(powerOnToken, "R")) {
    powerOnMask_ = static_cast<std::uint8_t>(powerOnMask_ | (1U << index));
    channel.powerOn = StartupValue{};
  } else {
    BuildStartupValue(channel.powerOn, StoreOutputCommand::Target::PowerOn, index,
                      StartupTextOf(powerOnToken, dataFormat_, channel.low, channel.high).text, checksum, address);
  }
  BuildStartupValue(channel.safe, StoreOutputCommand::Target::Safe, index,
                    StartupTextOf(safeToken, dataFormat_, channel.low, channel.high).text, checksum, address);

  if (!channel.write) channel.write = std::make_unique<OutputWriteCommand>(checksum);
  channel.write->SetLive(address, index, &channel.current, WriteFormatFor(variant_, dataFormat_, typeToken));
}

void AnalogOutputGroup::BuildStartupValue(StartupValue& value, StoreOutputCommand::Target target, std::uint32_t index,
                                          const char* text, bool checksum, std::uint16_t address) {
  if (variant_.startupValues == StartupValues::StoredPerChannel) {
    if (!value.stored) value.stored = std::make_unique<StoredValueCommand>(checksum);
    value.stored->Build(address, target == StoreOutputCommand::Target::PowerOn ? 'P' : 'S', index, text);
    return;
  }
  if (!value.write) value.write = std::make_unique<OutputWriteCommand>(checksum);
  value.write->SetFixed(address, index, text);
  if (!value.store) value.store = std::make_unique<StoreOutputCommand>(checksum);
  value.store->Build(address, target, index);
}

void AnalogOutputGroup::UpdateCurrentValue(Channel& channel) {
  if (dataFormat_ == DataFormat::Hexadecimal) {
    channel.current = GetUInt32(db_, channel.node);
    return;
  }
  float value = GetFloat(db_, channel.node);
  // Written so that NaN lands on a limit too.
  if (!(value < channel.high)) value = channel.high;
  if (!(value > channel.low)) value = channel.low;
  std::memcpy(&channel.current, &value, sizeof value);
}

std::uint8_t AnalogOutputGroup::IsTriggered() {
  bool triggered = false;
  for (std::uint32_t i = 0; i < channelCount_; ++i) {
    Channel& channel = channels_[i];
    if (channel.node == nullptr) continue;
    UpdateCurrentValue(channel);
    if (HasChanged(channel) || (channel.write && channel.write->IsAwaitingReply())) triggered = true;
  }
  return triggered ? 1 : 0;
}

void AnalogOutputGroup::QueueStartupCommands(RequestQueue& queue) {
  if (variant_.startupValues == StartupValues::StoredPerChannel) {
    for (std::uint32_t i = 0; i < channelCount_; ++i) {
      Enqueue(queue, channels_[i].type.get());
      if (keepDefaults_) continue;
      Enqueue(queue, channels_[i].safe.stored.get());
      Enqueue(queue, channels_[i].powerOn.stored.get());
    }
  } else {
    for (std::uint32_t i = 0; i < channelCount_; ++i) Enqueue(queue, channels_[i].type.get());
    if (keepDefaults_) return;
    for (std::uint32_t i = 0; i < channelCount_; ++i) Enqueue(queue, channels_[i].safe.write.get());
    for (std::uint32_t i = 0; i < channelCount_; ++i) Enqueue(queue, channels_[i].safe.store.get());
    for (std::uint32_t i = 0; i < channelCount_; ++i) Enqueue(queue, channels_[i].powerOn.write.get());
    for (std::uint32_t i = 0; i < channelCount_; ++i) Enqueue(queue, channels_[i].powerOn.store.get());
  }
  if (!keepDefaults_) Enqueue(queue, powerOnMaskCommand_.get());
}

// Start-up values that are written and then stored: a value stored without
// its write, or written without being stored, would stay stored wrong, so
// the whole start-up goes out again, with the outputs written after it.
bool AnalogOutputGroup::StartupUnanswered() const {
  if (variant_.startupValues != StartupValues::WrittenThenStored || keepDefaults_) return false;
  const auto awaiting = [](const auto& command) { return command && command->IsAwaitingReply(); };
  for (std::uint32_t i = 0; i < channelCount_; ++i) {
    const Channel& c = channels_[i];
    if (awaiting(c.safe.write) || awaiting(c.safe.store) || awaiting(c.powerOn.write) || awaiting(c.powerOn.store)) {
      return true;
    }
  }
  return false;
}

// A write still awaiting its reply when the pass begins (no reply, a
// rejected reply, or dropped with the queue) is due again, once per pass
// beyond the writes the rules below queue anyway.
void AnalogOutputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) {
  if (offline == 0 && StartupUnanswered()) offline = writeAll = 1;
  bool unanswered[kMaxChannels] = {};
  for (std::uint32_t i = 0; i < channelCount_; ++i) {
    unanswered[i] = channels_[i].write && channels_[i].write->IsAwaitingReply();
  }
  auto queueWrite = [&](std::uint32_t i) {
    Enqueue(queue, channels_[i].write.get());
    channels_[i].lastSent = channels_[i].current;
    unanswered[i] = false;
  };
  const bool everyScan = variant_.writeRule == WriteRule::EveryScanUnlessContinuous;

  if (offline != 0) {
    QueueStartupCommands(queue);
    for (std::uint32_t i = 0; i < channelCount_; ++i) {
      if (!channels_[i].write) continue;
      UpdateCurrentValue(channels_[i]);
      if (everyScan || writeAll != 0 || HasChanged(channels_[i]) || unanswered[i]) queueWrite(i);
    }
  }
  for (std::uint32_t i = 0; i < channelCount_; ++i) {
    if (!channels_[i].write) continue;
    UpdateCurrentValue(channels_[i]);
    if ((everyScan && writeAll != 0) || HasChanged(channels_[i]) || unanswered[i]) queueWrite(i);
  }
}

}  // namespace rio
