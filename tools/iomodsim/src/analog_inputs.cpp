#include "analog_inputs.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

struct TypeRange {
  std::uint8_t code;
  InputRange range;
};

// Voltage, current and thermocouple ranges (volts, milliamperes, degrees).
const TypeRange kInputTypes[] = {
    {0x00, {-0.015, 0.015}}, {0x01, {-0.05, 0.05}}, {0x02, {-0.1, 0.1}},     {0x03, {-0.5, 0.5}},
    {0x04, {-1, 1}},         {0x05, {-2.5, 2.5}},   {0x06, {-20, 20}},       {0x07, {4, 20}},
    {0x08, {-10, 10}},       {0x09, {-5, 5}},       {0x0A, {-1, 1}},         {0x0B, {-0.5, 0.5}},
    {0x0C, {-0.15, 0.15}},   {0x0D, {-20, 20}},     {0x0E, {-210, 760}},     {0x0F, {-270, 1372}},
    {0x10, {-270, 400}},     {0x11, {-270, 1000}},  {0x12, {0, 1768}},       {0x13, {0, 1768}},
    {0x14, {0, 1820}},       {0x15, {-270, 1300}},  {0x16, {0, 2320}},       {0x17, {-200, 800}},
    {0x18, {-200, 100}},     {0x19, {-200, 900}},   {0x1A, {0, 20}},
};

constexpr double kPi = 3.14159265358979323846;

// -1 to 1: a sine on even channels, a rising ramp on odd ones, each channel
// with its own period so that no two channels read alike.
double Wave(unsigned channel, std::uint64_t now) {
  std::uint64_t period = 4000 + 1000 * static_cast<std::uint64_t>(channel);
  double phase = static_cast<double>(now % period) / static_cast<double>(period);
  return channel % 2 == 0 ? std::sin(2 * kPi * phase) : 2 * phase - 1;
}

}  // namespace

double InputRange::Magnitude() const { return std::max(std::fabs(low), std::fabs(high)); }

unsigned InputRange::IntegerDigits() const {
  unsigned digits = 1;
  for (double limit = 10; Magnitude() >= limit && digits < 9; limit *= 10) ++digits;
  return digits;
}

double InputRange::Percent(double value) const {
  if (low >= 0) return high > low ? (value - low) / (high - low) * 100 : 0;
  return value / Magnitude() * 100;
}

std::uint16_t InputRange::HexCode(double value) const {
  if (low >= 0) {
    double fraction = high > low ? (value - low) / (high - low) : 0;
    return static_cast<std::uint16_t>(std::lround(std::clamp(fraction, 0.0, 1.0) * 65535));
  }
  double fraction = std::clamp(value / Magnitude(), -1.0, 1.0);
  return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(fraction * 32767)));
}

InputRange InputRangeOf(std::uint8_t typeCode) {
  for (const TypeRange& entry : kInputTypes) {
    if (entry.code == typeCode) return entry.range;
  }
  return InputRange{};
}

AnalogInputBank::AnalogInputBank(unsigned channels, bool channelTypes, std::uint8_t factoryType)
    : channelTypes_(channelTypes), factoryType_(factoryType), types_(channels, factoryType), pins_(channels) {}

std::uint8_t AnalogInputBank::Type(unsigned channel, const ModuleContext& context) const {
  return channelTypes_ ? types_.at(channel) : context.typeCode;
}

InputRange AnalogInputBank::Range(unsigned channel, const ModuleContext& context) const {
  return InputRangeOf(Type(channel, context));
}

double AnalogInputBank::Value(unsigned channel, std::uint64_t now, const ModuleContext& context) const {
  if (pins_.at(channel)) return *pins_[channel];
  InputRange range = Range(channel, context);
  return range.low + (range.high - range.low) * (0.5 + 0.4 * Wave(channel, now));
}

void AnalogInputBank::ResetTypes() { std::fill(types_.begin(), types_.end(), factoryType_); }

bool AnalogInputBank::Pin(unsigned channel, std::optional<double> value) {
  if (channel >= pins_.size()) return false;
  pins_[channel] = value;
  return true;
}

std::string InputField(const InputRange& range, double value, const ModuleContext& context, unsigned format3Width) {
  switch (context.DataFormat()) {
    case kHexadecimal:
      return HexDigits(range.HexCode(value), 4);
    case kPercentOfRange:
      return FixedWidthField(range.Percent(value), 7, 3);
    case kEngineeringUnits:
      return FixedWidthField(value, 7, range.IntegerDigits());
    default:
      return FixedWidthField(value, format3Width, range.IntegerDigits());
  }
}

AnalogInputPart::AnalogInputPart(const FamilySpec& family, unsigned channels)
    : bank_(channels, family.channelTypes, family.typeCode),
      minMax_(family.minMax),
      format3Width_(family.format3Width),
      minimum_(channels),
      maximum_(channels) {}

std::optional<std::string> AnalogInputPart::Handle(const Request& request, ModuleContext& context) {
  if (request.prefix == '#' && request.body.empty()) return ReadAll(context, nullptr);
  if (request.prefix == '$' && bank_.HasChannelTypes() && request.body.rfind("7C", 0) == 0) {
    return HandleChannelType(request, context);
  }
  if (request.prefix == '@' && minMax_) return HandleMinMax(request, context);
  return std::nullopt;
}

// $AA7C c R tt
std::optional<std::string> AnalogInputPart::HandleChannelType(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() != 6 || body[3] != 'R') return Refuse(context);
  auto channel = ParseChannel(body[2], bank_.Count());
  auto type = ParseHex(std::string_view(body).substr(4), 2, 2);
  if (!channel || !type) return Refuse(context);
  bank_.SetType(*channel, static_cast<std::uint8_t>(*type));
  return Acknowledge(context);
}

// @AARH, @AARL read the recorded maxima and minima; @AACH c, @AACL c clear one channel's.
std::optional<std::string> AnalogInputPart::HandleMinMax(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body == "RH") return ReadAll(context, &maximum_);
  if (body == "RL") return ReadAll(context, &minimum_);
  if (body.size() == 3 && (body.rfind("CH", 0) == 0 || body.rfind("CL", 0) == 0)) {
    auto channel = ParseChannel(body[2], bank_.Count());
    if (!channel) return Refuse(context);
    (body[1] == 'H' ? maximum_ : minimum_)[*channel].reset();
    return Acknowledge(context);
  }
  return std::nullopt;
}

std::string AnalogInputPart::ReadAll(const ModuleContext& context,
                                     const std::vector<std::optional<double>>* recorded) const {
  std::string reply = Accept();
  for (unsigned channel = 0; channel < bank_.Count(); ++channel) {
    double value = bank_.Value(channel, context.now, context);
    if (recorded && (*recorded)[channel]) value = *(*recorded)[channel];
    reply += InputField(bank_.Range(channel, context), value, context, format3Width_);
  }
  return reply;
}

void AnalogInputPart::Advance(ModuleContext& context) {
  if (!minMax_) return;
  for (unsigned channel = 0; channel < bank_.Count(); ++channel) {
    double value = bank_.Value(channel, context.now, context);
    maximum_[channel] = maximum_[channel] ? std::max(*maximum_[channel], value) : value;
    minimum_[channel] = minimum_[channel] ? std::min(*minimum_[channel], value) : value;
  }
}

void AnalogInputPart::PowerOn(ModuleContext& /*context*/) {
  bank_.ResetTypes();
  std::fill(minimum_.begin(), minimum_.end(), std::nullopt);
  std::fill(maximum_.begin(), maximum_.end(), std::nullopt);
}

void AnalogInputPart::Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const {
  snapshot.analogInputs.resize(bank_.Count());
  for (unsigned channel = 0; channel < bank_.Count(); ++channel) {
    AnalogInputSnapshot& input = snapshot.analogInputs[channel];
    input.type = Hex2(bank_.Type(channel, context));
    input.value = bank_.Value(channel, context.now, context);
    if (minMax_) {
      input.minimum = minimum_[channel];
      input.maximum = maximum_[channel];
    }
  }
}

}  // namespace sim
