#include "groups/analog_in/analog_read_command.h"

#include <cstdlib>
#include <cstring>

#include "framework/value_access.h"

namespace rio {

ReadFormat ReadFormatFor(const char* moduleParams, std::uint32_t widthFor03) {
  if (std::strncmp(moduleParams, "02", 2) == 0) return {4, false};
  if (std::strncmp(moduleParams, "03", 2) == 0) return {widthFor03, true};
  return {7, true};
}

AnalogReadCommand::AnalogReadCommand(bool checksum, std::uint32_t requestTextSize, std::uint32_t replyTextSize)
    : Command(checksum, requestTextSize, replyTextSize) {}

void AnalogReadCommand::Configure(const char* text, std::uint16_t address, VariableDb* db, const IoNode* channels,
                                  std::uint32_t count, ReadFormat format) {
  SetText(text, address);
  db_ = db;
  channels_ = channels;
  count_ = count;
  format_ = format;
  if (format_.width > kMaxWidth) format_.width = kMaxWidth;
}

std::uint32_t AnalogReadCommand::Decode() {
  if (db_ == nullptr || channels_ == nullptr || count_ == 0) return ReplyOk;
  const std::uint32_t width = format_.width;
  if (PayloadLength() < 1 + count_ * width) return ReplyInvalid;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (channels_[i] == nullptr) continue;
    std::memcpy(field_, Reply() + 1 + i * width, width);
    field_[width] = '\0';
    if (format_.decimal) {
      SetFromFloat(db_, channels_[i], static_cast<float>(std::atof(field_)));
    } else {
      SetFromUInt32(db_, channels_[i], static_cast<std::uint32_t>(std::strtol(field_, nullptr, 16)));
    }
  }
  return ReplyOk;
}

}  // namespace rio
