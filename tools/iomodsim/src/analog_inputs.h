// Analog inputs: the values a module presents (a waveform per channel, or a
// value pinned by a test), their ranges by input type code, the reply fields
// of each data format, and the part that answers the reads, the channel
// type settings and the min/max requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "families.h"
#include "part.h"

namespace sim {

struct InputRange {
  double low = -10, high = 10;

  double Magnitude() const;     // the larger of |low| and |high|
  unsigned IntegerDigits() const;  // digits before the point in engineering units
  double Percent(double value) const;  // of the span (unipolar) or of the magnitude (bipolar)
  std::uint16_t HexCode(double value) const;  // 0000-FFFF over the span, or two's complement of the magnitude
};

// Range of an input type code; codes the simulator does not know read as +-10.
InputRange InputRangeOf(std::uint8_t typeCode);

class AnalogInputBank {
 public:
  AnalogInputBank(unsigned channels, bool channelTypes, std::uint8_t factoryType);

  unsigned Count() const { return static_cast<unsigned>(types_.size()); }
  bool HasChannelTypes() const { return channelTypes_; }
  std::uint8_t Type(unsigned channel, const ModuleContext& context) const;
  InputRange Range(unsigned channel, const ModuleContext& context) const;
  // The channel's value now: pinned, or a ramp (odd channels) or a sine (even
  // channels) that sweeps 10 % to 90 % of the range.
  double Value(unsigned channel, std::uint64_t now, const ModuleContext& context) const;
  void SetType(unsigned channel, std::uint8_t type) { types_.at(channel) = type; }
  void ResetTypes();
  bool Pin(unsigned channel, std::optional<double> value);

 private:
  bool channelTypes_;
  std::uint8_t factoryType_;
  std::vector<std::uint8_t> types_;
  std::vector<std::optional<double>> pins_;
};

// One reply field of a channel's value in the module's data format.
std::string InputField(const InputRange& range, double value, const ModuleContext& context, unsigned format3Width);

class AnalogInputPart : public Part {
 public:
  AnalogInputPart(const FamilySpec& family, unsigned channels);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void Advance(ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;

  AnalogInputBank& Bank() { return bank_; }
  const AnalogInputBank& Bank() const { return bank_; }

 private:
  std::string ReadAll(const ModuleContext& context, const std::vector<std::optional<double>>* recorded) const;
  std::optional<std::string> HandleChannelType(const Request& request, ModuleContext& context);
  std::optional<std::string> HandleMinMax(const Request& request, ModuleContext& context);

  AnalogInputBank bank_;
  bool minMax_;
  unsigned format3Width_;
  std::vector<std::optional<double>> minimum_, maximum_;
};

}  // namespace sim
