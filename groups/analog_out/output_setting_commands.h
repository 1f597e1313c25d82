// The fixed-text requests that configure an analog output channel: its
// output type, its stored power-on and safe values, the power-on mask and
// the store requests. Their replies carry no data (base reply check).
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

// $AA9N + type code + option character: the channel's output type.
class OutputTypeCommand final : public Command {
 public:
  // typeCodeLength: characters of the type code, 1 or 2.
  OutputTypeCommand(bool checksum, std::uint32_t typeCodeLength);
  // channel: sent as one hexadecimal digit (modulo 16). A type token shorter
  // than the code, or an empty option, shortens the text accordingly.
  void Build(std::uint16_t address, std::uint32_t channel, const char* typeToken, const char* optionToken);

 private:
  std::uint32_t typeCodeLength_;
};

// ~AA6 + P or S + N + value text (at most 8 characters): stores the
// channel's power-on (P) or safe (S) value in the module.
class StoredValueCommand final : public Command {
 public:
  explicit StoredValueCommand(bool checksum);
  void Build(std::uint16_t address, char letter, std::uint32_t channel, const char* valueText);
};

// @AABB + two hexadecimal digits: the channels whose power-on value is the
// one the module keeps (bit n for channel n).
class PowerOnMaskCommand final : public Command {
 public:
  explicit PowerOnMaskCommand(bool checksum);
  void Build(std::uint16_t address, std::uint8_t mask);
};

// $AA4N or ~AA5N: the module stores the channel's present output as its
// power-on or its safe value.
class StoreOutputCommand final : public Command {
 public:
  enum class Target : std::uint8_t { PowerOn, Safe };
  explicit StoreOutputCommand(bool checksum);
  void Build(std::uint16_t address, Target target, std::uint32_t channel);
};

}  // namespace rio
