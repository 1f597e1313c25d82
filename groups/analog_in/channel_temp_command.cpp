#include "groups/analog_in/channel_temp_command.h"

#include <cstdio>

#include "framework/value_access.h"
#include "groups/analog_in/host_setting.h"

namespace rio {

std::uint8_t EncodeChannelTemp(float value) {
  return static_cast<std::uint8_t>(ScaleSetting(value, 10.0f, -128, 127) & 0xFF);
}

ChannelTempCommand::ChannelTempCommand(bool checksum) : Command(checksum, 10, 3) {}

void ChannelTempCommand::Build(std::uint16_t address, std::uint32_t channel, VariableDb* db, IoNode tempNode) {
  char text[16];
  std::snprintf(text, sizeof text, "@AAA2C%XT00", channel & 0xFU);
  SetText(text, address);
  db_ = db;
  tempNode_ = tempNode;
}

void ChannelTempCommand::FillRequest() {
  char digits[4];
  std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(EncodeChannelTemp(GetFloat(db_, tempNode_))));
  WriteAt(8, digits, 2);
}

}  // namespace rio
