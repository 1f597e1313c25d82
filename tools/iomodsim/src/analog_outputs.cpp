#include "analog_outputs.h"

#include <algorithm>
#include <cstdint>

namespace sim {
namespace {

constexpr std::size_t kMaxValueText = 8;

struct OutputRange {
  double low, high;
};

// By the last digit of the type code; two-character codes are 30 to 35.
// Milliamperes for 0 and 1, volts for the others.
const OutputRange kOutputRanges[] = {{0, 20}, {4, 20}, {0, 10}, {-10, 10}, {0, 5}, {-5, 5}};
constexpr char kFactoryTypeDigit = '2';  // 0 to 10 V

std::optional<OutputRange> OutputRangeOf(std::string_view type) {
  if (type.size() == 2 && type[0] != '3') return std::nullopt;
  char digit = type.empty() ? 0 : type.back();
  if (digit < '0' || digit > '5') return std::nullopt;
  return kOutputRanges[digit - '0'];
}

}  // namespace

AnalogOutputPart::AnalogOutputPart(const FamilySpec& family, unsigned channels)
    : typeLength_(family.outputTypeLength),
      storedValues_(family.storedValues),
      powerOnMaskAnswered_(family.powerOnMask),
      factoryType_(typeLength_ == 2 ? std::string("3") + kFactoryTypeDigit : std::string(1, kFactoryTypeDigit)),
      channels_(channels) {
  for (Channel& channel : channels_) channel.type = factoryType_;
}

std::optional<std::string> AnalogOutputPart::Handle(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.empty()) return std::nullopt;
  bool textCommands = storedValues_ == StoredValueStyle::kTextCommands;
  switch (request.prefix) {
    case '$':
      if (body[0] == '9') return HandleType(request, context);
      if (body[0] == '4' && !textCommands) return HandleStorePresent(request, context);
      return std::nullopt;
    case '#':
      return HandleWrite(request, context);
    case '~':
      if (body[0] == '6' && textCommands) return HandleStoredText(request, context);
      if (body[0] == '5' && !textCommands) return HandleStorePresent(request, context);
      return std::nullopt;
    case '@':
      if (powerOnMaskAnswered_ && body.rfind("BB", 0) == 0) return HandlePowerOnMask(request, context);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// $AA9 channel type option
std::optional<std::string> AnalogOutputPart::HandleType(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() != 3 + typeLength_) return Refuse(context);
  auto channel = ParseChannel(body[1], Count());
  std::string type = body.substr(2, typeLength_);
  auto range = OutputRangeOf(type);
  char option = body.back();
  if (!channel || !range || option <= ' ' || option >= 0x7F) return Refuse(context);
  Channel& output = channels_[*channel];
  output.type = type;
  output.option = option;
  output.value = std::clamp(output.value, range->low, range->high);
  return Acknowledge(context);
}

// #AA channel value
std::optional<std::string> AnalogOutputPart::HandleWrite(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  auto channel = ParseChannel(body[0], Count());
  if (!channel || body.size() < 2 || body.size() > 1 + kMaxValueText || context.safeState) return Refuse(context);
  Channel& output = channels_[*channel];
  auto value = Decode(std::string_view(body).substr(1), output, context);
  if (!value) return Refuse(context);
  output.value = *value;
  output.written = body.substr(1);
  return Accept();
}

// ~AA6 P|S channel value
std::optional<std::string> AnalogOutputPart::HandleStoredText(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() < 4 || body.size() > 3 + kMaxValueText || (body[1] != 'P' && body[1] != 'S')) {
    return Refuse(context);
  }
  auto channel = ParseChannel(body[2], Count());
  if (!channel) return Refuse(context);
  Channel& output = channels_[*channel];
  auto value = Decode(std::string_view(body).substr(3), output, context);
  if (!value) return Refuse(context);
  (body[1] == 'P' ? output.powerOnValue : output.safeValue) = *value;
  return Acknowledge(context);
}

// $AA4 channel stores the present output as power-on value, ~AA5 channel as safe value.
std::optional<std::string> AnalogOutputPart::HandleStorePresent(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  auto channel = body.size() == 2 ? ParseChannel(body[1], Count()) : std::nullopt;
  if (!channel) return Refuse(context);
  Channel& output = channels_[*channel];
  (request.prefix == '$' ? output.powerOnValue : output.safeValue) = output.value;
  return Acknowledge(context);
}

// @AABB mask: bit i set = output i keeps its value over a power cycle.
std::optional<std::string> AnalogOutputPart::HandlePowerOnMask(const Request& request, ModuleContext& context) {
  auto mask = ParseHex(std::string_view(request.body).substr(2), 2, 2);
  if (!mask || (*mask >> Count()) != 0) return Refuse(context);
  powerOnMask_ = *mask;
  return Acknowledge(context);
}

std::optional<double> AnalogOutputPart::Decode(std::string_view text, const Channel& channel,
                                               const ModuleContext& context) const {
  auto range = OutputRangeOf(channel.type);
  if (!range) return std::nullopt;
  std::optional<double> value;
  if (context.DataFormat() == kHexadecimal) {
    // 8000 is the low end of the range, 7FFF the high end.
    auto code = ParseHex(text, 1, 4);
    if (!code) return std::nullopt;
    double offset = static_cast<std::int16_t>(static_cast<std::uint16_t>(*code)) + 32768.0;
    value = range->low + offset * (range->high - range->low) / 65535.0;
  } else if (context.DataFormat() == kPercentOfRange) {
    auto percent = ParseDecimal(text);
    if (!percent) return std::nullopt;
    value = range->low >= 0 ? range->low + *percent / 100 * (range->high - range->low) : *percent / 100 * range->high;
  } else {
    value = ParseDecimal(text);
  }
  if (!value) return std::nullopt;
  return std::clamp(*value, range->low, range->high);
}

void AnalogOutputPart::PowerOn(ModuleContext& /*context*/) {
  for (unsigned index = 0; index < Count(); ++index) {
    Channel& channel = channels_[index];
    channel.type = factoryType_;
    channel.option = 0;
    channel.written.clear();
    if ((powerOnMask_ >> index & 1u) == 0) channel.value = channel.powerOnValue;
  }
}

void AnalogOutputPart::EnterSafeState(ModuleContext& /*context*/) {
  for (Channel& channel : channels_) {
    channel.value = channel.safeValue;
    channel.written.clear();
  }
}

void AnalogOutputPart::Describe(const ModuleContext& /*context*/, ModuleSnapshot& snapshot) const {
  snapshot.powerOnMask = powerOnMask_;
  snapshot.analogOutputs.clear();
  for (unsigned index = 0; index < Count(); ++index) {
    const Channel& channel = channels_[index];
    snapshot.analogOutputs.push_back({channel.type, channel.option, channel.value, channel.written,
                                      channel.powerOnValue, channel.safeValue, (powerOnMask_ >> index & 1u) != 0});
  }
}

}  // namespace sim
