// The LED display of the other-series modules: what it shows ($AA8 m), and
// the value the control program shows on it ($AA9 and seven characters).
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

// $AA8 m: the LED mode character as the user wrote it; 2 puts the LED under
// host control.
class LedModeCommand final : public Command {
 public:
  explicit LedModeCommand(bool checksum);
  void Build(std::uint16_t address, char mode);
};

// The seven characters of an LED value: limited to +-99.99, "%+07.4f" for
// values strictly between -2 and 2, "%+07.3f" otherwise (NaN shows as 0).
void FormatLedValue(float value, char (&text)[8]);

// $AA9 and the LED value, taken from the control group's current value when
// the request is sent.
class LedValueCommand final : public Command {
 public:
  LedValueCommand(bool checksum, const float& value);
  void Build(std::uint16_t address);

 protected:
  void FillRequest() override;

 private:
  const float& value_;
};

}  // namespace rio
