#include "groups/digital/port_input_group.h"

#include "groups/digital/counter_commands.h"

namespace rio {

void PortInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  channels_.Bind(db, moduleNode, kChannels);
}

void PortInputGroup::CreateCommands(std::uint8_t checksum) {
  const std::uint16_t address = ModuleAddressOf(moduleNode_);
  const bool withChecksum = checksum != 0;
  channels_.CreateCounters<PortCounterReadCommand, PortCounterClearCommand>(withChecksum, address,
                                                                            ChannelDigits::LowDigit);
  if (!read_) read_ = std::make_unique<PortReadCommand>(withChecksum);
  // Mask 0: the input byte of the reply, every channel.
  read_->Configure(address, db_, channels_.InputNodes(), kChannels, 0);
}

void PortInputGroup::ScheduleCommands(std::uint8_t offline, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  if (offline != 0) channels_.QueueAllClears(queue);
  Enqueue(queue, read_.get());
  channels_.QueueCounters(queue);
}

}  // namespace rio
