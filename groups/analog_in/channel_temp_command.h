// @AAA2C c T vv: the temperature setting of channel c (one hexadecimal
// digit), in tenths of a degree as one two's-complement byte.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// The byte vv: value x 10 clamped to -128 ... 127 and truncated toward zero.
std::uint8_t EncodeChannelTemp(float value);

// The "Temp n" variable is read when the request is sent.
class ChannelTempCommand final : public Command {
 public:
  explicit ChannelTempCommand(bool checksum);
  void Build(std::uint16_t address, std::uint32_t channel, VariableDb* db, IoNode tempNode);

 protected:
  void FillRequest() override;

 private:
  VariableDb* db_ = nullptr;
  IoNode tempNode_ = nullptr;
};

}  // namespace rio
