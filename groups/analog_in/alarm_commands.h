// Requests of the alarm input group: alarm settings, alarm disable and latch
// clear requests, and the coefficient settings of the linearised input types.
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

enum class AlarmSide : std::uint8_t { High, Low };

// @AAHI / @AALO + limit + "C" n + mode + "O" output: one alarm's setting.
class AlarmSetCommand final : public Command {
 public:
  // Room for the limit text in the 32-character request.
  static constexpr std::uint32_t kMaxLimitLength = 22;

  explicit AlarmSetCommand(bool checksum);
  // False (and no text) when the limit does not fit: a cut limit would set
  // the alarm at a value the user never gave.
  bool Build(std::uint16_t address, AlarmSide side, std::uint32_t channel, const char* limit, char mode,
             char output);
};

// @AADHCn / @AADLCn (disable) and @AACHCn / @AACLCn (clear latch). The
// disable-low request keeps its wider buffer of 24 characters.
class AlarmControlCommand final : public Command {
 public:
  enum class Kind : std::uint8_t { Disable, ClearLatch };

  AlarmControlCommand(bool checksum, Kind kind, AlarmSide side);
  void Build(std::uint16_t address, std::uint32_t channel);

 private:
  Kind kind_;
  AlarmSide side_;
};

// @AAS + letter + "T" + type code + "C" + coefficient text (at most 8).
class CoefficientCommand final : public Command {
 public:
  static constexpr std::uint32_t kMaxValueLength = 8;

  explicit CoefficientCommand(bool checksum);
  void Build(std::uint16_t address, char letter, const char* typeCode, const char* value);
};

}  // namespace rio
