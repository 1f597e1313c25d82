// The reads of a module's digital states: the bank form (@AA, every state as
// one hexadecimal word) and the port form (@AADI, an output and an input
// byte).
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// @AA: the reply carries all states as one hexadecimal number of variable
// length after its first character; the mask picks the group's channels and
// its lowest set bit becomes channel 0.
class BankReadCommand final : public Command {
 public:
  explicit BankReadCommand(bool checksum);

  // Channel i's state goes to the variable of nodes[i]; empty entries are
  // skipped. nodes must hold count entries and outlive the command.
  void ConfigureForVariables(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count,
                             std::uint32_t mask);
  // Channel i's state (0 or 1) goes to states[i]; states must hold count
  // entries and outlive the command.
  void ConfigureForArray(std::uint16_t address, std::uint8_t* states, std::uint32_t count, std::uint32_t mask);

 protected:
  // Real-time path. A reply with fewer digits than required, or with a
  // character that is not a hexadecimal digit, is rejected unwritten: the
  // missing high digits would otherwise read as states that are off.
  std::uint32_t Decode() override;

 private:
  void Configure(std::uint16_t address, std::uint32_t count, std::uint32_t mask);

  VariableDb* db_ = nullptr;
  const IoNode* nodes_ = nullptr;
  std::uint8_t* states_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint32_t mask_ = 0;
  std::uint32_t shift_ = 0;
  // Hexadecimal digits a reply needs to carry the highest bit decoded.
  std::uint32_t requiredDigits_ = 1;
};

// @AADI: the reply !AAOOII carries the port's output byte OO and input byte
// II. With mask 0 the input byte is decoded into every channel; otherwise
// the output byte, into the channels whose mask bit is set (outputs that
// follow the module).
class PortReadCommand final : public Command {
 public:
  static constexpr std::uint32_t kMaxChannels = 8;

  explicit PortReadCommand(bool checksum);

  // nodes must hold count entries (at most 8) and outlive the command.
  void Configure(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count, std::uint8_t mask);

 protected:
  // Real-time path. A reply too short for the byte decoded, or whose two
  // characters are not hexadecimal digits, is rejected unwritten.
  std::uint32_t Decode() override;

 private:
  VariableDb* db_ = nullptr;
  const IoNode* nodes_ = nullptr;
  std::uint32_t count_ = 0;
  std::uint8_t mask_ = 0;
};

}  // namespace rio
