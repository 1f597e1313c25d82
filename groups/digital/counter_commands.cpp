#include "groups/digital/counter_commands.h"

#include <cstdio>

#include "framework/value_access.h"
#include "groups/digital/digital_channels.h"

namespace rio {
namespace {

// Room for the longest template, "@AACEC", and two channel digits.
constexpr std::size_t kTextRoom = 16;

}  // namespace

CounterValueCommand::CounterValueCommand(bool checksum, std::uint32_t requestTextSize, std::uint32_t digits)
    : Command(checksum, requestTextSize, 3 + digits), digits_(digits) {}

void CounterValueCommand::Configure(const char* text, std::uint16_t address, VariableDb* db, IoNode counter) {
  SetText(text, address);
  db_ = db;
  counter_ = counter;
}

std::uint32_t CounterValueCommand::Decode() {
  // "!" and the echoed address come first.
  if (PayloadLength() < 3 + digits_) return ReplyInvalid;
  std::uint32_t value = 0;
  if (!ReadHexField(Reply() + 3, digits_, value)) return ReplyInvalid;
  SetFromUInt32(db_, counter_, value);
  return ReplyOk;
}

CounterReadCommand::CounterReadCommand(bool checksum) : CounterValueCommand(checksum, 5, 5) {}

void CounterReadCommand::Build(std::uint16_t address, const char* channel, VariableDb* db, IoNode counter) {
  char text[kTextRoom];
  std::snprintf(text, sizeof text, "#AA%.2s", channel);
  Configure(text, address, db, counter);
}

PortCounterReadCommand::PortCounterReadCommand(bool checksum) : CounterValueCommand(checksum, 7, 8) {}

void PortCounterReadCommand::Build(std::uint16_t address, const char* channel, VariableDb* db, IoNode counter) {
  char text[kTextRoom];
  std::snprintf(text, sizeof text, "@AAREC%.1s", channel);
  Configure(text, address, db, counter);
}

CounterClearCommand::CounterClearCommand(bool checksum) : Command(checksum, 6, 3) {}

void CounterClearCommand::Build(std::uint16_t address, const char* channel) {
  char text[kTextRoom];
  std::snprintf(text, sizeof text, "$AAC%.2s", channel);
  SetText(text, address);
}

PortCounterClearCommand::PortCounterClearCommand(bool checksum) : Command(checksum, 7, 3) {}

void PortCounterClearCommand::Build(std::uint16_t address, const char* channel) {
  char text[kTextRoom];
  std::snprintf(text, sizeof text, "@AACEC%.1s", channel);
  SetText(text, address);
}

}  // namespace rio
