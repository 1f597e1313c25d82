#include "groups/analog_in/cjc_commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/value_access.h"
#include "groups/analog_in/host_setting.h"

namespace rio {

CjcReadCommand::CjcReadCommand(bool checksum) : Command(checksum, 4, 61) {}

void CjcReadCommand::Build(std::uint16_t address, VariableDb* db, IoNode cjcNode) {
  SetText("$AA3", address);
  db_ = db;
  cjcNode_ = cjcNode;
}

std::uint32_t CjcReadCommand::Decode() {
  if (PayloadLength() < 1 + kFieldWidth) return ReplyInvalid;
  if (db_ == nullptr || cjcNode_ == nullptr) return ReplyOk;
  std::memcpy(field_, Reply() + 1, kFieldWidth);
  field_[kFieldWidth] = '\0';
  SetFromFloat(db_, cjcNode_, static_cast<float>(std::atof(field_)));
  return ReplyOk;
}

CjcEnableCommand::CjcEnableCommand(bool checksum) : Command(checksum, 5, 3) {}

void CjcEnableCommand::Build(std::uint16_t address, VariableDb* db, IoNode enableNode) {
  SetText("~AAC0", address);
  db_ = db;
  enableNode_ = enableNode;
}

void CjcEnableCommand::FillRequest() { WriteAt(4, GetBool(db_, enableNode_) != 0 ? "1" : "0", 1); }

void EncodeCjcOffset(float value, CjcOffsetForm form, char (&text)[6]) {
  const bool channel = form == CjcOffsetForm::Channel;
  const std::int32_t limit = channel ? 127 : 65535;
  const std::int32_t scaled = ScaleSetting(value, channel ? 10.0f : 100.0f, -limit, limit);
  // At most 65535 after clamping; the mask tells the formatter so too.
  const unsigned magnitude = static_cast<unsigned>(scaled < 0 ? -scaled : scaled) & 0xFFFFU;
  std::snprintf(text, sizeof text, "%c%04X", scaled > 0 ? '+' : '-', magnitude);
}

CjcOffsetCommand::CjcOffsetCommand(bool checksum, CjcOffsetForm form)
    : Command(checksum, form == CjcOffsetForm::Channel ? 11 : 9, 3), form_(form) {}

void CjcOffsetCommand::Build(std::uint16_t address, std::uint32_t channel, VariableDb* db, IoNode offsetNode) {
  char text[16];
  if (form_ == CjcOffsetForm::Channel) {
    std::snprintf(text, sizeof text, "$AA9-0000C%X", channel & 0xFU);
  } else {
    std::snprintf(text, sizeof text, "$AA9-0000");
  }
  SetText(text, address);
  db_ = db;
  offsetNode_ = offsetNode;
}

void CjcOffsetCommand::FillRequest() {
  char digits[6];
  EncodeCjcOffset(GetFloat(db_, offsetNode_), form_, digits);
  WriteAt(4, digits, 5);
}

}  // namespace rio
