#include "alarm_part.h"

#include "analog_inputs.h"

namespace sim {
namespace {

constexpr std::size_t kMaxCoefficientLength = 8;
constexpr std::uint8_t kFirstCoefficientType = 0x70, kLastCoefficientType = 0x77;

bool IsPrintable(char c) { return c > ' ' && c < 0x7F; }

}  // namespace

AlarmPart::AlarmPart(unsigned channels, bool coefficients)
    : channels_(channels), coefficientsAnswered_(coefficients) {}

std::optional<std::string> AlarmPart::Handle(const Request& request, ModuleContext& context) {
  if (request.prefix != '@') return std::nullopt;
  const std::string& body = request.body;
  if (body.rfind("HI", 0) == 0 || body.rfind("LO", 0) == 0) return HandleSetting(request, context);
  if (body.size() == 4 && body[2] == 'C' && (body[0] == 'D' || body[0] == 'C') && (body[1] == 'H' || body[1] == 'L')) {
    return HandleChannelCommand(request, context);
  }
  if (coefficientsAnswered_ && body.rfind('S', 0) == 0) return HandleCoefficient(request, context);
  return std::nullopt;
}

// @AAHI limit C c mode O output, @AALO limit C c mode O output
std::optional<std::string> AlarmPart::HandleSetting(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() < 8) return Refuse(context);
  std::string_view tail = std::string_view(body).substr(body.size() - 5);
  std::string_view limitText = std::string_view(body).substr(2, body.size() - 7);
  auto channel = ParseChannel(tail[1], static_cast<unsigned>(channels_.size()));
  auto limit = ParseDecimal(limitText);
  if (tail[0] != 'C' || tail[3] != 'O' || !channel || !limit || !IsPrintable(tail[2]) || !IsPrintable(tail[4])) {
    return Refuse(context);
  }
  Alarm& alarm = body[0] == 'H' ? channels_[*channel].high : channels_[*channel].low;
  alarm = Alarm{true, *limit, tail[2], tail[4], false};
  Evaluate(context);
  return Acknowledge(context);
}

// @AADHC c, @AADLC c disable an alarm; @AACHC c, @AACLC c clear its latch.
std::optional<std::string> AlarmPart::HandleChannelCommand(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  auto channel = ParseChannel(body[3], static_cast<unsigned>(channels_.size()));
  if (!channel) return Refuse(context);
  Alarm& alarm = body[1] == 'H' ? channels_[*channel].high : channels_[*channel].low;
  if (body[0] == 'D') {
    alarm = Alarm{};
  } else {
    alarm.active = false;
  }
  Evaluate(context);
  return Acknowledge(context);
}

// @AAS letter T tt C text: coefficient A, B or C of input type tt (70 to 77).
std::optional<std::string> AlarmPart::HandleCoefficient(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() < 7 || body[2] != 'T' || body[5] != 'C') return Refuse(context);
  char letter = body[1];
  auto type = ParseHex(std::string_view(body).substr(3, 2), 2, 2);
  std::string text = body.substr(6);
  if (letter < 'A' || letter > 'C' || !type || *type < kFirstCoefficientType || *type > kLastCoefficientType ||
      text.size() > kMaxCoefficientLength) {
    return Refuse(context);
  }
  for (char c : text) {
    if (!IsPrintable(c)) return Refuse(context);
  }
  coefficients_[static_cast<std::uint8_t>(*type)][static_cast<std::size_t>(letter - 'A')] = text;
  return Acknowledge(context);
}

void AlarmPart::Advance(ModuleContext& context) { Evaluate(context); }

void AlarmPart::Evaluate(ModuleContext& context) {
  context.alarmDrivenOutputs = 0;
  context.alarmOutputLevels = 0;
  if (!context.inputs) return;
  for (unsigned index = 0; index < channels_.size() && index < context.inputs->Count(); ++index) {
    double value = context.inputs->Value(index, context.now, context);
    for (Alarm* alarm : {&channels_[index].high, &channels_[index].low}) {
      if (!alarm->enabled) continue;
      bool beyond = alarm == &channels_[index].high ? value > alarm->limit : value < alarm->limit;
      alarm->active = alarm->mode == 'L' ? (alarm->active || beyond) : beyond;
      if (auto output = ParseChannel(alarm->output, context.digitalOutputCount)) {
        context.alarmDrivenOutputs |= 1u << *output;
        if (alarm->active) context.alarmOutputLevels |= 1u << *output;
      }
    }
  }
}

void AlarmPart::PowerOn(ModuleContext& context) {
  for (Channel& channel : channels_) channel = Channel{};
  coefficients_.clear();
  context.alarmDrivenOutputs = 0;
  context.alarmOutputLevels = 0;
}

void AlarmPart::Describe(const ModuleContext& /*context*/, ModuleSnapshot& snapshot) const {
  if (snapshot.analogInputs.size() < channels_.size()) snapshot.analogInputs.resize(channels_.size());
  for (std::size_t index = 0; index < channels_.size(); ++index) {
    const Channel& channel = channels_[index];
    snapshot.analogInputs[index].high = {channel.high.enabled, channel.high.limit, channel.high.mode,
                                         channel.high.output, channel.high.active};
    snapshot.analogInputs[index].low = {channel.low.enabled, channel.low.limit, channel.low.mode,
                                        channel.low.output, channel.low.active};
  }
  for (const auto& [type, texts] : coefficients_) {
    snapshot.coefficients[Hex2(type)] = std::vector<std::string>(texts.begin(), texts.end());
  }
}

}  // namespace sim
