// @AACHc / @AACLc: clears the highest (H) or lowest (L) value the module has
// recorded for channel c (one hexadecimal digit).
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

enum class Extreme : std::uint8_t { Max, Min };

class ClearExtremeCommand final : public Command {
 public:
  explicit ClearExtremeCommand(bool checksum);
  void Build(std::uint16_t address, Extreme extreme, std::uint32_t channel);
};

}  // namespace rio
