#include "framework/control_commands.h"

#include <cstdio>
#include <cstring>

#include "framework/tokens.h"

namespace rio {
namespace {

constexpr std::uint32_t kBaseReplySize = 3;

bool ReadHexPair(const char* at, std::uint8_t& value) {
  std::uint32_t field = 0;
  if (!ReadHexField(at, 2, field)) return false;
  value = static_cast<std::uint8_t>(field);
  return true;
}

}  // namespace

ResetCommand::ResetCommand(bool checksum) : Command(checksum, 4, kBaseReplySize) {}

void ResetCommand::Build(std::uint16_t address) { SetText("~AA1", address); }

WatchdogCommand::WatchdogCommand(bool checksum) : Command(checksum, 7, kBaseReplySize) {}

void WatchdogCommand::Build(std::uint16_t address, std::uint32_t timeout) {
  char text[16];
  std::snprintf(text, sizeof text, "~AA3%c%02X", timeout != 0 ? '1' : '0', timeout > 0xFF ? 0xFFU : timeout);
  SetText(text, address);
}

NameQueryCommand::NameQueryCommand(bool checksum) : Command(checksum, 4, 19) {}

void NameQueryCommand::Build(std::uint16_t address, const char* expectedCode) {
  std::snprintf(expectedCode_, sizeof expectedCode_, "%s", expectedCode == nullptr ? "" : expectedCode);
  SetText("$AAM", address);
}

std::uint32_t NameQueryCommand::Decode() {
  const std::size_t codeLength = std::strlen(expectedCode_);
  if (PayloadLength() < 3 + codeLength) return ReplyWrongModule;
  return std::memcmp(Reply() + 3, expectedCode_, codeLength) == 0 ? ReplyOk : ReplyWrongModule;
}

bool DecodeConfigReply(const char* reply, std::uint32_t payloadLength, ParamForm form, ModuleConfig& config) {
  std::uint8_t tt = 0;
  std::uint8_t cc = 0;
  std::uint8_t ff = 0;
  if (payloadLength < 9 || !ReadHexPair(reply + 3, tt) || !ReadHexPair(reply + 5, cc) ||
      !ReadHexPair(reply + 7, ff)) {
    return false;
  }
  if (form != ParamForm::FormatAndType) config.typeCode = tt;
  config.baudCode = cc & 0x3F;
  config.ccHighBits = (cc >> 6) & 3;
  if (form == ParamForm::Plain) config.dataFormat = ff & 3;
  config.ffBit5 = (ff >> 5) & 1;
  config.ffBit6 = (ff >> 6) & 1;
  config.ffBit7 = (ff >> 7) & 1;
  config.readBack = true;
  return true;
}

ConfigReadCommand::ConfigReadCommand(bool checksum, ParamForm form, ModuleConfig& config)
    : Command(checksum, 4, 9), form_(form), config_(config) {}

void ConfigReadCommand::Build(std::uint16_t address) { SetText("$AA2", address); }

std::uint32_t ConfigReadCommand::Decode() {
  return DecodeConfigReply(Reply(), PayloadLength(), form_, config_) ? ReplyOk : ReplyInvalid;
}

// The reply buffer is sized for the configuration reply it may receive.
ConfigWriteCommand::ConfigWriteCommand(bool checksum, ParamForm form, ModuleConfig& config)
    : Command(checksum, 11, 9), form_(form), config_(config) {}

void ConfigWriteCommand::Build(std::uint16_t address) {
  address_ = address;
  Refill(false);
}

void ConfigWriteCommand::Refill(bool asRead) {
  SetText(asRead ? "$AA2" : "%AA00000000", address_);
  textIsRead_ = asRead;
}

void ConfigWriteCommand::FillRequest() {
  sentReadInstead_ = !config_.readBack;
  if (sentReadInstead_ != textIsRead_) Refill(sentReadInstead_);
  if (sentReadInstead_) return;
  const ModuleConfig& c = config_;
  const unsigned cc = c.baudCode | static_cast<unsigned>(c.ccHighBits << 6);
  const unsigned ff = (c.dataFormat & 3U) | static_cast<unsigned>(c.ffBit5 << 5) |
                      static_cast<unsigned>(c.ffBit6 << 6) | static_cast<unsigned>(c.ffBit7 << 7);
  char fields[16];
  std::snprintf(fields, sizeof fields, "%02X%02X%02X%02X", address_ & 0xFFU, c.typeCode & 0xFFU, cc & 0xFFU,
                ff & 0xFFU);
  WriteAt(3, fields, 8);
}

std::uint32_t ConfigWriteCommand::Decode() {
  if (!sentReadInstead_) return ReplyOk;
  return DecodeConfigReply(Reply(), PayloadLength(), form_, config_) ? ReplyOk : ReplyInvalid;
}

}  // namespace rio
