// Digital I/O in its two forms. The port form (mixed and alarm-input
// modules) answers @AADI, @AADO byte, ~AA5 power-on and safe bytes, and the
// counter requests @AAREC c / @AACEC c. The bank form (digital families)
// answers the @AA read and @AA word write, ~AA5P / ~AA5S (store the present
// outputs as power-on / safe value), #AA channel counter reads and $AAC
// channel counter clears.
#pragma once

#include <cstdint>

#include "digital_inputs.h"
#include "families.h"
#include "part.h"

namespace sim {

// Bits 0 to count - 1 set.
std::uint32_t LowBits(unsigned count);

class PortDigitalPart : public Part {
 public:
  PortDigitalPart(unsigned inputs, unsigned outputs);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void Advance(ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void EnterSafeState(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;
  DigitalInputBank& Inputs() { return inputs_; }

 private:
  // The outputs as driven: the host's writes, and the alarms' levels on alarm-driven outputs.
  std::uint32_t Outputs(const ModuleContext& context) const;

  DigitalInputBank inputs_;
  unsigned outputCount_;
  std::uint32_t written_ = 0, powerOn_ = 0, safe_ = 0;
};

class BankDigitalPart : public Part {
 public:
  BankDigitalPart(BankLayout layout, unsigned inputs, unsigned outputs);

  std::optional<std::string> Handle(const Request& request, ModuleContext& context) override;
  void Advance(ModuleContext& context) override;
  void PowerOn(ModuleContext& context) override;
  void EnterSafeState(ModuleContext& context) override;
  void Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const override;
  DigitalInputBank& Inputs() { return inputs_; }

 private:
  std::string Read(const ModuleContext& context) const;
  std::optional<std::string> Write(const Request& request, ModuleContext& context);
  std::optional<std::string> Counter(const Request& request, ModuleContext& context);
  unsigned CounterDigits() const { return inputs_.Count() > 16 ? 2 : 1; }

  BankLayout layout_;
  DigitalInputBank inputs_;
  unsigned outputCount_;
  std::uint32_t outputs_ = 0, powerOn_ = 0, safe_ = 0;
};

}  // namespace sim
