// Reads all channels of a module with one request; the reply carries one
// fixed-width field per channel, decimal text or hexadecimal digits.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// Field layout of a read reply.
struct ReadFormat {
  std::uint32_t width;  // characters per channel
  bool decimal;         // decimal text (written as real) or hex (as unsigned)
};

// The field layout chosen by the data format code at the start of the module
// parameter string: "02" is hexadecimal (4 digits), "03" decimal with
// widthFor03 characters, anything else decimal of 7 characters.
ReadFormat ReadFormatFor(const char* moduleParams, std::uint32_t widthFor03 = 7);

class AnalogReadCommand : public Command {
 public:
  static constexpr std::uint32_t kMaxWidth = 15;

  // Sizes as for any command; the all-channel read #AA is 3 and 147.
  AnalogReadCommand(bool checksum, std::uint32_t requestTextSize = 3, std::uint32_t replyTextSize = 147);

  // text: the request template ("#AA" for the input read); channels: the
  // owning group's node table of count entries, empty entries skipped.
  void Configure(const char* text, std::uint16_t address, VariableDb* db, const IoNode* channels,
                 std::uint32_t count, ReadFormat format);

 protected:
  // Real-time path: decodes every field into its variable without
  // allocating. A reply too short for all fields is rejected unwritten.
  std::uint32_t Decode() override;

 private:
  VariableDb* db_ = nullptr;
  const IoNode* channels_ = nullptr;
  std::uint32_t count_ = 0;
  ReadFormat format_{7, true};
  char field_[kMaxWidth + 1] = {};
};

}  // namespace rio
