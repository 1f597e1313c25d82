#include "groups/analog_in/analog_input_group.h"

#include "framework/node_binding.h"

namespace rio {

AnalogInputGroup::AnalogInputGroup(std::uint32_t channelCount)
    : channelCount_(channelCount < kMaxChannels ? channelCount : kMaxChannels) {}

void AnalogInputGroup::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t /*flags*/) {
  db_ = db;
  moduleNode_ = moduleNode;
  BindNumberedChildren(moduleNode, "AI ", channels_, channelCount_);
}

void AnalogInputGroup::CreateCommands(std::uint8_t checksum) {
  if (!read_) read_ = std::make_unique<AnalogReadCommand>(checksum != 0);
  read_->Configure("#AA", ModuleAddressOf(moduleNode_), db_, channels_, channelCount_,
                   ReadFormatFor(ModuleParamsOf(moduleNode_).text));
}

void AnalogInputGroup::ScheduleCommands(std::uint8_t /*offline*/, std::uint8_t /*writeAll*/, RequestQueue& queue) {
  Enqueue(queue, read_.get());
}

}  // namespace rio
