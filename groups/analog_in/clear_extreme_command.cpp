#include "groups/analog_in/clear_extreme_command.h"

#include <cstdio>

namespace rio {

ClearExtremeCommand::ClearExtremeCommand(bool checksum) : Command(checksum, 6, 3) {}

void ClearExtremeCommand::Build(std::uint16_t address, Extreme extreme, std::uint32_t channel) {
  char text[16];
  std::snprintf(text, sizeof text, "@AAC%c%X", extreme == Extreme::Max ? 'H' : 'L', channel & 0xFU);
  SetText(text, address);
}

}  // namespace rio
