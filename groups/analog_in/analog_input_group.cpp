#include "groups/analog_in/analog_input_group.h"

#include "framework/tokens.h"

namespace rio {

void BindNumberedChildren(IoNode moduleNode, const char* prefix, IoNode* nodes, std::uint32_t count) {
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    std::int32_t number = -1;
    if (ScanNumberedName(NameOf(child).text, prefix, number) && number >= 0 &&
        static_cast<std::uint32_t>(number) < count) {
      nodes[number] = child;
    }
  }
}

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
