// Cold-junction compensation (CJC) of thermocouple and temperature modules:
// reading the cold-junction temperature, switching compensation on or off,
// and the compensation offset of one channel or of the whole module.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// $AA3: the cold-junction temperature, seven characters of decimal text
// after the first reply character, into the "CJC" variable.
class CjcReadCommand final : public Command {
 public:
  static constexpr std::uint32_t kFieldWidth = 7;

  explicit CjcReadCommand(bool checksum);
  void Build(std::uint16_t address, VariableDb* db, IoNode cjcNode);

 protected:
  // A reply too short for the field is rejected unwritten.
  std::uint32_t Decode() override;

 private:
  VariableDb* db_ = nullptr;
  IoNode cjcNode_ = nullptr;
  char field_[kFieldWidth + 1] = {};
};

// ~AACe: compensation on (e = 1, the "Enable CJC" variable non-zero) or off;
// the variable is read when the request is sent.
class CjcEnableCommand final : public Command {
 public:
  explicit CjcEnableCommand(bool checksum);
  void Build(std::uint16_t address, VariableDb* db, IoNode enableNode);

 protected:
  void FillRequest() override;

 private:
  VariableDb* db_ = nullptr;
  IoNode enableNode_ = nullptr;
};

// Which offset: one channel's, in tenths of a degree within +-127, or the
// module's, in hundredths within +-65535.
enum class CjcOffsetForm : std::uint8_t { Channel, Module };

// The five characters of an offset: "+" for a positive scaled value, "-"
// otherwise (zero is -0000), then the magnitude as four hexadecimal digits.
void EncodeCjcOffset(float value, CjcOffsetForm form, char (&text)[6]);

// $AA9 shhhh (module form) or $AA9 shhhh C c (channel form, c the channel as
// one hexadecimal digit): the offset variable is read when the request is
// sent.
class CjcOffsetCommand final : public Command {
 public:
  CjcOffsetCommand(bool checksum, CjcOffsetForm form);
  // channel is ignored in the module form.
  void Build(std::uint16_t address, std::uint32_t channel, VariableDb* db, IoNode offsetNode);

 protected:
  void FillRequest() override;

 private:
  CjcOffsetForm form_;
  VariableDb* db_ = nullptr;
  IoNode offsetNode_ = nullptr;
};

}  // namespace rio
