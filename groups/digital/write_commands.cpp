#include "groups/digital/write_commands.h"

#include <cstdio>

#include "framework/value_access.h"
#include "groups/digital/digital_channels.h"

namespace rio {
namespace {

// Behind "@AA" or "@AADO".
constexpr std::uint32_t kBankWordAt = 3;
constexpr std::uint32_t kPortByteAt = 5;

std::uint32_t WordFromVariables(VariableDb* db, const IoNode* nodes, std::uint32_t count) {
  std::uint32_t word = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (GetBool(db, nodes[i]) != 0) word |= 1U << i;
  }
  return word;
}

}  // namespace

BankWriteCommand::BankWriteCommand(bool checksum) : Command(checksum, 11, 3) {}

void BankWriteCommand::ConfigureFromVariables(std::uint16_t address, VariableDb* db, const IoNode* nodes,
                                              std::uint32_t count) {
  Configure(address, count);
  db_ = db;
  nodes_ = nodes;
  fromVariables_ = nodes != nullptr;
  WriteWord(0);
}

void BankWriteCommand::ConfigureWithPattern(std::uint16_t address, std::uint32_t count, std::uint32_t pattern) {
  Configure(address, count);
  db_ = nullptr;
  nodes_ = nullptr;
  fromVariables_ = false;
  WriteWord(pattern);
}

void BankWriteCommand::Configure(std::uint16_t address, std::uint32_t count) {
  SetText("@AA", address);
  count_ = count < kMaxDigitalChannels ? count : kMaxDigitalChannels;
  digits_ = count_ == 0 ? 1 : (count_ + 3) / 4;
}

void BankWriteCommand::FillRequest() {
  if (fromVariables_) WriteWord(WordFromVariables(db_, nodes_, count_));
}

void BankWriteCommand::WriteWord(std::uint32_t word) {
  // Bits beyond the channels would need more digits than the word has.
  word &= StateMaskBits(StateMask::LowChannels, count_);
  char text[12];
  std::snprintf(text, sizeof text, "%0*X", static_cast<int>(digits_), static_cast<unsigned>(word));
  WriteAt(kBankWordAt, text, digits_);
}

StoreOutputsCommand::StoreOutputsCommand(bool checksum) : Command(checksum, 5, 3) {}

void StoreOutputsCommand::Build(std::uint16_t address, Slot slot) {
  SetText(slot == Slot::PowerOn ? "~AA5P" : "~AA5S", address);
}

PortWriteCommand::PortWriteCommand(bool checksum) : Command(checksum, 7, 3) {}

void PortWriteCommand::Configure(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count,
                                 std::uint8_t mask) {
  SetText("@AADO00", address);
  db_ = db;
  nodes_ = nodes;
  count_ = count < kMaxChannels ? count : kMaxChannels;
  mask_ = mask;
}

void PortWriteCommand::FillRequest() {
  const std::uint32_t byte = nodes_ == nullptr ? 0 : WordFromVariables(db_, nodes_, count_) & mask_;
  char text[4];
  std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(byte));
  WriteAt(kPortByteAt, text, 2);
}

PortDefaultsCommand::PortDefaultsCommand(bool checksum) : Command(checksum, 8, 3) {}

void PortDefaultsCommand::Build(std::uint16_t address, std::uint8_t powerOn, std::uint8_t safe) {
  char text[16];
  std::snprintf(text, sizeof text, "~AA5%02X%02X", static_cast<unsigned>(powerOn), static_cast<unsigned>(safe));
  SetText(text, address);
}

}  // namespace rio
