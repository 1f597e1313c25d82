#include "groups/analog_in/alarm_commands.h"

#include <cstdio>
#include <cstring>

namespace rio {

AlarmSetCommand::AlarmSetCommand(bool checksum) : Command(checksum, 32, 3) {}

bool AlarmSetCommand::Build(std::uint16_t address, AlarmSide side, std::uint32_t channel, const char* limit,
                            char mode, char output) {
  if (limit == nullptr || std::strlen(limit) > kMaxLimitLength) {
    SetText("", address);
    return false;
  }
  char text[48];
  std::snprintf(text, sizeof text, "@AA%s%sC%X%cO%c", side == AlarmSide::High ? "HI" : "LO", limit, channel & 0xFU,
                mode, output);
  SetText(text, address);
  return true;
}

namespace {
std::uint32_t ControlRequestSize(AlarmControlCommand::Kind kind, AlarmSide side) {
  return kind == AlarmControlCommand::Kind::Disable && side == AlarmSide::Low ? 24 : 7;
}
}  // namespace

AlarmControlCommand::AlarmControlCommand(bool checksum, Kind kind, AlarmSide side)
    : Command(checksum, ControlRequestSize(kind, side), 3), kind_(kind), side_(side) {}

void AlarmControlCommand::Build(std::uint16_t address, std::uint32_t channel) {
  char text[16];
  std::snprintf(text, sizeof text, "@AA%c%cC%X", kind_ == Kind::Disable ? 'D' : 'C',
                side_ == AlarmSide::High ? 'H' : 'L', channel & 0xFU);
  SetText(text, address);
}

CoefficientCommand::CoefficientCommand(bool checksum) : Command(checksum, 17, 3) {}

void CoefficientCommand::Build(std::uint16_t address, char letter, const char* typeCode, const char* value) {
  char text[32];
  std::snprintf(text, sizeof text, "@AAS%cT%.2sC%.8s", letter, typeCode, value);
  SetText(text, address);
}

}  // namespace rio
