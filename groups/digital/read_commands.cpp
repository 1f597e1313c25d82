#include "groups/digital/read_commands.h"

#include "framework/value_access.h"
#include "groups/digital/digital_channels.h"

namespace rio {
namespace {

std::uint32_t LowestSetBit(std::uint32_t mask) {
  std::uint32_t bit = 0;
  while (bit < 31 && (mask & (1U << bit)) == 0) ++bit;
  return bit;
}

std::uint32_t HighestSetBit(std::uint32_t mask) {
  std::uint32_t bit = 31;
  while (bit > 0 && (mask & (1U << bit)) == 0) --bit;
  return bit;
}

}  // namespace

BankReadCommand::BankReadCommand(bool checksum) : Command(checksum, 3, 9) {}

void BankReadCommand::ConfigureForVariables(std::uint16_t address, VariableDb* db, const IoNode* nodes,
                                            std::uint32_t count, std::uint32_t mask) {
  db_ = db;
  nodes_ = nodes;
  states_ = nullptr;
  Configure(address, count, mask);
}

void BankReadCommand::ConfigureForArray(std::uint16_t address, std::uint8_t* states, std::uint32_t count,
                                        std::uint32_t mask) {
  db_ = nullptr;
  nodes_ = nullptr;
  states_ = states;
  Configure(address, count, mask);
}

void BankReadCommand::Configure(std::uint16_t address, std::uint32_t count, std::uint32_t mask) {
  SetText("@AA", address);
  count_ = count < kMaxDigitalChannels ? count : kMaxDigitalChannels;
  mask_ = mask;
  shift_ = mask == 0 ? 0 : LowestSetBit(mask);
  requiredDigits_ = 1;  // a reply without digits says nothing
  if (mask != 0 && count_ != 0) {
    const std::uint32_t lastChannelBit = shift_ + count_ - 1;
    const std::uint32_t highestMaskBit = HighestSetBit(mask);
    const std::uint32_t highest = lastChannelBit < highestMaskBit ? lastChannelBit : highestMaskBit;
    requiredDigits_ = highest / 4 + 1;
  }
}

std::uint32_t BankReadCommand::Decode() {
  const std::uint32_t payload = PayloadLength();
  const std::uint32_t digits = payload > 0 ? payload - 1 : 0;
  if (digits < requiredDigits_) return ReplyInvalid;
  std::uint32_t word = 0;
  if (!ReadHexField(Reply() + 1, digits, word)) return ReplyInvalid;
  const std::uint32_t states = (word & mask_) >> shift_;
  for (std::uint32_t i = 0; i < count_; ++i) {
    const std::uint8_t state = static_cast<std::uint8_t>((states >> i) & 1U);
    if (states_ != nullptr) {
      states_[i] = state;
    } else if (nodes_ != nullptr) {
      SetFromBool(db_, nodes_[i], state);
    }
  }
  return ReplyOk;
}

PortReadCommand::PortReadCommand(bool checksum) : Command(checksum, 5, 7) {}

void PortReadCommand::Configure(std::uint16_t address, VariableDb* db, const IoNode* nodes, std::uint32_t count,
                                std::uint8_t mask) {
  SetText("@AADI", address);
  db_ = db;
  nodes_ = nodes;
  count_ = count < kMaxChannels ? count : kMaxChannels;
  mask_ = mask;
}

std::uint32_t PortReadCommand::Decode() {
  // !AA, then the output byte at 3 and the input byte at 5.
  const std::uint32_t position = mask_ != 0 ? 3 : 5;
  if (PayloadLength() < position + 2) return ReplyInvalid;
  std::uint32_t byte = 0;
  if (!ReadHexField(Reply() + position, 2, byte)) return ReplyInvalid;
  if (nodes_ == nullptr) return ReplyOk;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (mask_ != 0 && (mask_ & (1U << i)) == 0) continue;
    SetFromBool(db_, nodes_[i], static_cast<std::uint8_t>((byte >> i) & 1U));
  }
  return ReplyOk;
}

}  // namespace rio
