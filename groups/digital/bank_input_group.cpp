#include "groups/digital/bank_input_group.h"

#include "groups/digital/counter_commands.h"

namespace rio {

BankInputGroup::BankInputGroup(const ChannelTable& channels, StateMask inputMask)
    : table_(channels), inputMask_(inputMask) {}

void BankInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  channels_.Bind(db, moduleNode, table_.ChannelsOf(ModelNameOf(moduleNode).text));
}

void BankInputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  const std::uint32_t count = channels_.Count();
  const bool withChecksum = checksum != 0;
  // The 32-channel modules number every counter with two digits.
  channels_.CreateCounters<CounterReadCommand, CounterClearCommand>(
      withChecksum, address, count >= kMaxDigitalChannels ? ChannelDigits::Two : ChannelDigits::Natural);
  if (!read_) read_ = std::make_unique<BankReadCommand>(withChecksum);
  read_->ConfigureForVariables(address, db_, channels_.InputNodes(), count, StateMaskBits(inputMask_, count));
}

void BankInputGroup::ScheduleCommands(std::uint8_t /*offline*/, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  Enqueue(queue, read_.get());
  channels_.QueueCounters(queue);
}

}  // namespace rio
