#include "groups/analog_in/input_type_command.h"

#include <cstdio>

namespace rio {

InputTypeCommand::InputTypeCommand(bool checksum) : Command(checksum, 9, 3) {}

void InputTypeCommand::Build(std::uint16_t address, std::uint32_t channel, const char* typeToken) {
  char text[16];
  std::snprintf(text, sizeof text, "$AA7C%XR%.2s", channel & 0xFU, typeToken == nullptr ? "" : typeToken);
  SetText(text, address);
}

}  // namespace rio
