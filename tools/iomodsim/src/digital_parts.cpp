#include "digital_parts.h"

namespace sim {
namespace {

constexpr std::uint32_t kBankCounterMask = 0xFFFFF;  // five hexadecimal digits

std::vector<bool> Bits(std::uint32_t word, unsigned count) {
  std::vector<bool> bits(count);
  for (unsigned i = 0; i < count && i < 32; ++i) bits[i] = (word >> i & 1u) != 0;
  return bits;
}

void DescribeInputs(const DigitalInputBank& inputs, std::uint64_t now, ModuleSnapshot& snapshot) {
  snapshot.digitalInputs = Bits(inputs.Levels(now), inputs.Count());
  snapshot.counters.clear();
  for (unsigned channel = 0; channel < inputs.Count(); ++channel) snapshot.counters.push_back(inputs.Counter(channel));
}

}  // namespace

std::uint32_t LowBits(unsigned count) { return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1; }

// ---- Port form ----

PortDigitalPart::PortDigitalPart(unsigned inputs, unsigned outputs) : inputs_(inputs), outputCount_(outputs) {}

std::uint32_t PortDigitalPart::Outputs(const ModuleContext& context) const {
  std::uint32_t driven = context.alarmDrivenOutputs & LowBits(outputCount_);
  return (written_ & ~driven) | (context.alarmOutputLevels & driven);
}

std::optional<std::string> PortDigitalPart::Handle(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  std::string_view view(body);
  if (request.prefix == '@' && body == "DI") {
    return Acknowledge(context) + Hex2(Outputs(context)) + Hex2(inputs_.Levels(context.now));
  }
  if (request.prefix == '@' && body.rfind("DO", 0) == 0) {  // @AADO byte
    auto byte = ParseHex(view.substr(2), 2, 2);
    if (!byte || (*byte & ~LowBits(outputCount_)) != 0 || context.safeState) return Refuse(context);
    written_ = *byte;
    return Accept();
  }
  if (request.prefix == '~' && body.size() == 5 && body[0] == '5') {  // ~AA5 power-on byte, safe byte
    auto powerOn = ParseHex(view.substr(1, 2), 2, 2);
    auto safe = ParseHex(view.substr(3, 2), 2, 2);
    if (!powerOn || !safe || ((*powerOn | *safe) & ~LowBits(outputCount_)) != 0) return Refuse(context);
    powerOn_ = *powerOn;
    safe_ = *safe;
    return Acknowledge(context);
  }
  if (request.prefix == '@' && inputs_.Count() > 0 && body.size() == 4 &&
      (body.rfind("REC", 0) == 0 || body.rfind("CEC", 0) == 0)) {  // @AAREC c, @AACEC c
    auto channel = ParseChannel(body[3], inputs_.Count());
    if (!channel) return Refuse(context);
    if (body[0] == 'R') return Acknowledge(context) + HexDigits(inputs_.Counter(*channel), 8);
    inputs_.ClearCounter(*channel);
    return Acknowledge(context);
  }
  return std::nullopt;
}

void PortDigitalPart::Advance(ModuleContext& context) { inputs_.Advance(context.now); }

void PortDigitalPart::PowerOn(ModuleContext& /*context*/) {
  written_ = powerOn_;
  inputs_.PowerOn();
}

void PortDigitalPart::EnterSafeState(ModuleContext& /*context*/) { written_ = safe_; }

void PortDigitalPart::Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const {
  DescribeInputs(inputs_, context.now, snapshot);
  snapshot.digitalOutputs = Bits(Outputs(context), outputCount_);
  snapshot.powerOnPattern = powerOn_;
  snapshot.safePattern = safe_;
}

// ---- Bank form ----

BankDigitalPart::BankDigitalPart(BankLayout layout, unsigned inputs, unsigned outputs)
    : layout_(layout), inputs_(inputs), outputCount_(outputs) {}

std::optional<std::string> BankDigitalPart::Handle(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (request.prefix == '@') return body.empty() ? Read(context) : Write(request, context);
  if (request.prefix == '~' && outputCount_ > 0 && body.size() == 2 && body[0] == '5') {
    if (body[1] == 'P') powerOn_ = outputs_;
    else if (body[1] == 'S') safe_ = outputs_;
    else return Refuse(context);
    return Acknowledge(context);
  }
  if (inputs_.Count() > 0 && (request.prefix == '#' || (request.prefix == '$' && body.rfind('C', 0) == 0))) {
    return Counter(request, context);
  }
  return std::nullopt;
}

std::string BankDigitalPart::Read(const ModuleContext& context) const {
  std::uint32_t inputs = inputs_.Levels(context.now);
  unsigned n = inputs_.Count();
  switch (layout_) {
    case BankLayout::kInputsLowOutputsAbove:
      return Accept() + HexDigits(inputs | (n < 32 ? outputs_ << n : 0), n <= 8 ? 4 : 8);
    case BankLayout::kInputsOnly:
      return Accept() + HexDigits(n <= 8 ? inputs << 8 : inputs, n <= 16 ? 4 : 8);
    case BankLayout::kOutputsOnly:
    default:
      return Accept() + HexDigits(outputs_, outputCount_ <= 8 ? 2 : (outputCount_ + 3) / 4);
  }
}

// @AA word: D = outputs / 4 (rounded up) hexadecimal digits, bit i = output i.
std::optional<std::string> BankDigitalPart::Write(const Request& request, ModuleContext& context) {
  if (outputCount_ == 0) return std::nullopt;
  std::size_t digits = (outputCount_ + 3) / 4;
  auto word = ParseHex(request.body, digits, digits);
  if (!word || (*word & ~LowBits(outputCount_)) != 0 || context.safeState) return Refuse(context);
  outputs_ = *word;
  return Accept();
}

// #AA channel reads a counter, $AAC channel clears it; the channel is two
// digits on modules with more than 16 inputs, one digit otherwise.
std::optional<std::string> BankDigitalPart::Counter(const Request& request, ModuleContext& context) {
  bool clear = request.prefix == '$';
  std::string_view digits = std::string_view(request.body).substr(clear ? 1 : 0);
  auto channel = ParseHex(digits, CounterDigits(), CounterDigits());
  if (!channel || *channel >= inputs_.Count()) return Refuse(context);
  if (clear) {
    inputs_.ClearCounter(*channel);
    return Acknowledge(context);
  }
  return Acknowledge(context) + HexDigits(inputs_.Counter(*channel) & kBankCounterMask, 5);
}

void BankDigitalPart::Advance(ModuleContext& context) { inputs_.Advance(context.now); }

void BankDigitalPart::PowerOn(ModuleContext& /*context*/) {
  outputs_ = powerOn_;
  inputs_.PowerOn();
}

void BankDigitalPart::EnterSafeState(ModuleContext& /*context*/) { outputs_ = safe_; }

void BankDigitalPart::Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const {
  DescribeInputs(inputs_, context.now, snapshot);
  snapshot.digitalOutputs = Bits(outputs_, outputCount_);
  snapshot.powerOnPattern = powerOn_;
  snapshot.safePattern = safe_;
}

}  // namespace sim
