#include "groups/digital/port_output_group.h"

#include "framework/tokens.h"
#include "framework/value_access.h"
#include "groups/digital/digital_channels.h"

namespace rio {

PortOutputGroup::PortOutputGroup(std::uint32_t channelCount)
    : count_(channelCount < kMaxChannels ? channelCount : kMaxChannels) {}

void PortOutputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) {
  db_ = db;
  moduleNode_ = moduleNode;
  keepDefaults_ = (flags & kFlagKeepDefaults) != 0;
  for (std::uint32_t i = 0; i < kMaxChannels; ++i) outputs_[i] = nullptr;
  BindNumberedChildren(moduleNode, "DO ", outputs_, count_);
}

std::uint8_t PortOutputGroup::IsTriggered() {
  if (followCount_ != 0) return 1;
  if (write_ && write_->IsAwaitingReply()) return 1;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (follows_[i] == 0 && GetBool(db_, outputs_[i]) != lastWritten_[i]) return 1;
  }
  return 0;
}

void PortOutputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  std::uint8_t powerOn = 0;
  std::uint8_t safe = 0;
  std::uint8_t follow = 0;
  followCount_ = 0;
  for (std::uint32_t i = 0; i < count_; ++i) {
    follows_[i] = 0;
    if (outputs_[i] == nullptr) continue;
    TokenReader tokens(ParamsOf(outputs_[i]).text);
    const std::uint8_t bit = static_cast<std::uint8_t>(1U << i);
    if (FirstChar(tokens.Next()) == '1') powerOn |= bit;
    if (FirstChar(tokens.Next()) == '1') safe |= bit;
    if (FirstChar(tokens.Next()) == 'E') {
      follow |= bit;
      follows_[i] = 1;
      ++followCount_;
    }
  }

  const bool withChecksum = checksum != 0;
  if (followCount_ < count_) {
    if (!write_) write_ = std::make_unique<PortWriteCommand>(withChecksum);
    write_->Configure(address, db_, outputs_, count_, static_cast<std::uint8_t>(~follow));
  } else {
    write_.reset();
  }
  if (followCount_ > 0) {
    if (!readBack_) readBack_ = std::make_unique<PortReadCommand>(withChecksum);
    readBack_->Configure(address, db_, outputs_, count_, follow);
  } else {
    readBack_.reset();
  }
  if (!defaults_) defaults_ = std::make_unique<PortDefaultsCommand>(withChecksum);
  defaults_->Build(address, powerOn, safe);
}

void PortOutputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  if (offline != 0 && !keepDefaults_) Enqueue(queue, defaults_.get());
  if (write_) {
    Enqueue(queue, write_.get());
    for (std::uint32_t i = 0; i < count_; ++i) {
      if (follows_[i] == 0) lastWritten_[i] = GetBool(db_, outputs_[i]);
    }
  }
  Enqueue(queue, readBack_.get());
}

}  // namespace rio
