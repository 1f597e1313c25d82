#include "groups/digital/bank_output_group.h"

#include "framework/tokens.h"
#include "framework/value_access.h"

namespace rio {

BankOutputGroup::BankOutputGroup(const ChannelTable& channels, StateMask readBackMask)
    : table_(channels), readBackMask_(readBackMask) {}

void BankOutputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t flags) {
  db_ = db;
  moduleNode_ = moduleNode;
  keepDefaults_ = (flags & kFlagKeepDefaults) != 0;
  count_ = table_.ChannelsOf(ModelNameOf(moduleNode).text);
  for (std::uint32_t i = 0; i < kMaxDigitalChannels; ++i) {
    lastValues_[i] = 0;
    outputs_[i] = nullptr;
  }
  BindNumberedChildren(moduleNode, "DO ", outputs_, count_);
}

std::uint8_t BankOutputGroup::IsTriggered() {
  if (write_ && write_->IsAwaitingReply()) return 1;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (GetBool(db_, outputs_[i]) != lastValues_[i]) return 1;
  }
  return 0;
}

void BankOutputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  std::uint32_t powerOn = 0;
  std::uint32_t safe = 0;
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (outputs_[i] == nullptr) continue;
    TokenReader tokens(ParamsOf(outputs_[i]).text);
    if (FirstChar(tokens.Next()) == '1') powerOn |= 1U << i;
    if (FirstChar(tokens.Next()) == '1') safe |= 1U << i;
  }

  const bool withChecksum = checksum != 0;
  if (!write_) write_ = std::make_unique<BankWriteCommand>(withChecksum);
  if (!powerOnPattern_) powerOnPattern_ = std::make_unique<BankWriteCommand>(withChecksum);
  if (!safePattern_) safePattern_ = std::make_unique<BankWriteCommand>(withChecksum);
  if (!storePowerOn_) storePowerOn_ = std::make_unique<StoreOutputsCommand>(withChecksum);
  if (!storeSafe_) storeSafe_ = std::make_unique<StoreOutputsCommand>(withChecksum);
  if (!readBack_) readBack_ = std::make_unique<BankReadCommand>(withChecksum);

  write_->ConfigureFromVariables(address, db_, outputs_, count_);
  powerOnPattern_->ConfigureWithPattern(address, count_, powerOn);
  safePattern_->ConfigureWithPattern(address, count_, safe);
  storePowerOn_->Build(address, StoreOutputsCommand::Slot::PowerOn);
  storeSafe_->Build(address, StoreOutputsCommand::Slot::Safe);
  readBack_->ConfigureForArray(address, lastValues_, count_, StateMaskBits(readBackMask_, count_));
}

// Each pattern must be written and then stored: a part of the sequence
// that went unanswered would leave a wrong pattern stored, so the whole
// start-up goes out again, with the outputs rewritten after it.
bool BankOutputGroup::PatternsUnanswered() const {
  if (keepDefaults_) return false;
  const auto awaiting = [](const auto& command) { return command && command->IsAwaitingReply(); };
  return awaiting(safePattern_) || awaiting(storeSafe_) || awaiting(powerOnPattern_) || awaiting(storePowerOn_);
}

void BankOutputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t writeAll, RequestQueue& queue) {
  if (offline == 0 && PatternsUnanswered()) offline = writeAll = 1;
  if (offline != 0) {
    if (!keepDefaults_) {
      // The module takes each pattern on its outputs, then stores it.
      Enqueue(queue, safePattern_.get());
      Enqueue(queue, storeSafe_.get());
      Enqueue(queue, powerOnPattern_.get());
      Enqueue(queue, storePowerOn_.get());
    }
    Enqueue(queue, readBack_.get());
  }
  if (writeAll != 0) {
    Enqueue(queue, write_.get());
    return;
  }
  if (IsTriggered() == 0) return;
  Enqueue(queue, write_.get());
  for (std::uint32_t i = 0; i < count_; ++i) lastValues_[i] = GetBool(db_, outputs_[i]);
}

}  // namespace rio
