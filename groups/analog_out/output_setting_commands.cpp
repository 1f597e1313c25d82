#include "groups/analog_out/output_setting_commands.h"

#include <cstdio>

namespace rio {
namespace {

unsigned ChannelDigit(std::uint32_t channel) { return channel & 0xFU; }
const char* OrEmpty(const char* text) { return text == nullptr ? "" : text; }
// Type codes are one or two characters; the bound keeps the text in range.
std::uint32_t BoundedCodeLength(std::uint32_t length) { return length < 8 ? length : 8; }

}  // namespace

OutputTypeCommand::OutputTypeCommand(bool checksum, std::uint32_t typeCodeLength)
    : Command(checksum, 6 + BoundedCodeLength(typeCodeLength), 3), typeCodeLength_(BoundedCodeLength(typeCodeLength)) {}

void OutputTypeCommand::Build(std::uint16_t address, std::uint32_t channel, const char* typeToken,
                              const char* optionToken) {
  char text[16];
  std::snprintf(text, sizeof text, "$AA9%X%.*s%.1s", ChannelDigit(channel), static_cast<int>(typeCodeLength_),
                OrEmpty(typeToken), OrEmpty(optionToken));
  SetText(text, address);
}

StoredValueCommand::StoredValueCommand(bool checksum) : Command(checksum, 14, 3) {}

void StoredValueCommand::Build(std::uint16_t address, char letter, std::uint32_t channel, const char* valueText) {
  char text[24];
  std::snprintf(text, sizeof text, "~AA6%c%X%.8s", letter, ChannelDigit(channel), OrEmpty(valueText));
  SetText(text, address);
}

PowerOnMaskCommand::PowerOnMaskCommand(bool checksum) : Command(checksum, 7, 3) {}

void PowerOnMaskCommand::Build(std::uint16_t address, std::uint8_t mask) {
  char text[16];
  std::snprintf(text, sizeof text, "@AABB%02X", static_cast<unsigned>(mask));
  SetText(text, address);
}

StoreOutputCommand::StoreOutputCommand(bool checksum) : Command(checksum, 5, 3) {}

void StoreOutputCommand::Build(std::uint16_t address, Target target, std::uint32_t channel) {
  char text[16];
  std::snprintf(text, sizeof text, target == Target::PowerOn ? "$AA4%X" : "~AA5%X", ChannelDigit(channel));
  SetText(text, address);
}

}  // namespace rio
