#include "groups/analog_out/output_write_command.h"

#include <cstdio>
#include <cstring>

namespace rio {

OutputWriteCommand::OutputWriteCommand(bool checksum) : Command(checksum, 4 + kValueRoom, 3) {}

void OutputWriteCommand::SetLive(std::uint16_t address, std::uint32_t channel, const std::uint32_t* source,
                                 WriteFormat format) {
  address_ = address;
  std::snprintf(prefix_, sizeof prefix_, "#AA%X", channel & 0xFU);
  source_ = source;
  format_ = format;
  live_ = true;
  SetText(prefix_, address_);
}

void OutputWriteCommand::SetFixed(std::uint16_t address, std::uint32_t channel, const char* valueText) {
  address_ = address;
  std::snprintf(prefix_, sizeof prefix_, "#AA%X", channel & 0xFU);
  source_ = nullptr;
  live_ = false;
  std::snprintf(text_, sizeof text_, "%s%.*s", prefix_, static_cast<int>(kValueRoom),
                valueText == nullptr ? "" : valueText);
  SetText(text_, address_);
}

void OutputWriteCommand::FormatValue() {
  std::memset(scratch_, 0, sizeof scratch_);
  const std::uint32_t word = source_ == nullptr ? 0 : *source_;
  if (format_.hexadecimal) {
    std::snprintf(scratch_, sizeof scratch_, "%X", static_cast<unsigned>(word));
    return;
  }
  float value;
  std::memcpy(&value, &word, sizeof value);
  std::snprintf(scratch_, sizeof scratch_, format_.plusSign ? "%+0*.*f" : "%0*.*f", static_cast<int>(format_.width),
                static_cast<int>(format_.precision), static_cast<double>(value));
}

void OutputWriteCommand::FillRequest() {
  if (!live_) return;
  FormatValue();
  std::snprintf(text_, sizeof text_, "%s%.*s", prefix_, static_cast<int>(kValueRoom), scratch_);
  SetText(text_, address_);
}

}  // namespace rio
