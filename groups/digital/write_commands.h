// The writes of a module's digital outputs and of its stored start-up
// values, in the bank form (@AA and a word, ~AA5P, ~AA5S) and the port form
// (@AADO and a byte, ~AA5 with the power-on and safe bytes). Bit i of a
// word or byte is channel i; replies carry nothing but the framing.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// @AA and D upper-case hexadecimal digits, D = channel count / 4 rounded up.
class BankWriteCommand final : public Command {
 public:
  explicit BankWriteCommand(bool checksum);

  // The word is taken from the variables of nodes[0..count-1] (read as
  // booleans, empty entries off) whenever the request is prepared. nodes
  // must outlive the command.
  void ConfigureFromVariables(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count);
  // The word is a fixed pattern (power-on or safe values).
  void ConfigureWithPattern(std::uint16_t address, std::uint32_t count, std::uint32_t pattern);

 protected:
  // Real-time path: the same number of digits at every scan.
  void FillRequest() override;

 private:
  void Configure(std::uint16_t address, std::uint32_t count);
  void WriteWord(std::uint32_t word);

  VariableDb* db_ = nullptr;
  const IoNode* nodes_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t digits_ = 1;
  bool fromVariables_ = false;
};

// ~AA5P / ~AA5S: the module stores its present outputs as power-on or safe
// value.
class StoreOutputsCommand final : public Command {
 public:
  enum class Slot : char { PowerOn = 'P', Safe = 'S' };

  explicit StoreOutputsCommand(bool checksum);
  void Build(std::uint16_t address, Slot slot);
};

// @AADO and two upper-case hexadecimal digits: the port outputs; the mask
// leaves out the channels that follow the module.
class PortWriteCommand final : public Command {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;

  explicit PortWriteCommand(bool checksum);

  // nodes must hold count entries (at most 8) and outlive the command.
  void Configure(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count, std::uint8_t mask);

 protected:
  // Real-time path: the byte from the variables, masked.
  void FillRequest() override;

 private:
  VariableDb* db_ = nullptr;
  const IoNode* nodes_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint8_t mask_ = 0xFF;
};

// ~AA5PPSS: the port's power-on byte PP and safe byte SS, stored in the
// module.
class PortDefaultsCommand final : public Command {
 public:
  explicit PortDefaultsCommand(bool checksum);
  void Build(std::uint16_t address, std::uint8_t powerOn, std::uint8_t safe);
};

}  // namespace rio
