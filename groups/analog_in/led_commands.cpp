#include "groups/analog_in/led_commands.h"

#include <cmath>
#include <cstdio>

namespace rio {

LedModeCommand::LedModeCommand(bool checksum) : Command(checksum, 5, 3) {}

void LedModeCommand::Build(std::uint16_t address, char mode) {
  const char text[] = {'$', 'A', 'A', '8', mode, '\0'};
  SetText(text, address);
}

void FormatLedValue(float value, char (&text)[8]) {
  double shown = std::isnan(value) ? 0.0 : static_cast<double>(value);
  if (shown >= 100.0) shown = 99.99;
  if (shown <= -100.0) shown = -99.99;
  // A value just below 100 may round up to eight characters; the display
  // takes the first seven.
  char formatted[16];
  std::snprintf(formatted, sizeof formatted, shown > -2.0 && shown < 2.0 ? "%+07.4f" : "%+07.3f", shown);
  std::snprintf(text, sizeof text, "%.7s", formatted);
}

LedValueCommand::LedValueCommand(bool checksum, const float& value) : Command(checksum, 11, 3), value_(value) {}

void LedValueCommand::Build(std::uint16_t address) { SetText("$AA9+0.0000", address); }

void LedValueCommand::FillRequest() {
  char digits[8];
  FormatLedValue(value_, digits);
  WriteAt(4, digits, 7);
}

}  // namespace rio
