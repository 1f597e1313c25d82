// $AA7CnR tt: sets the input type (range) code of one channel.
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

class InputTypeCommand final : public Command {
 public:
  explicit InputTypeCommand(bool checksum);
  // channel: 0 to 15, sent as one hexadecimal digit; typeToken: the first
  // two characters are the type code.
  void Build(std::uint16_t address, std::uint32_t channel, const char* typeToken);
};

}  // namespace rio
