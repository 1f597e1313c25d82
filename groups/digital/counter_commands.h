// The counters of digital inputs: reads of one channel's counter and clears
// of it, in the bank form (#AAN, $AACN) and the port form (@AARECN, @AACECN).
// N is the channel number in hexadecimal, as the owning group formats it.
#pragma once

#include <cstdint>

#include "framework/command.h"
#include "framework/host_records.h"

namespace rio {

// A counter value: a fixed number of hexadecimal digits behind "!AA",
// written to the counter variable as an unsigned 32-bit value.
class CounterValueCommand : public Command {
 public:
  // text: the request template with the channel digits, e.g. "#AA1F".
  void Configure(const char* text, std::uint16_t address, VariableDb* db, IoNode counter);

 protected:
  CounterValueCommand(bool checksum, std::uint32_t requestTextSize, std::uint32_t digits);
  // Real-time path. A reply without all digits, or with a character that is
  // not a hexadecimal digit among them, is rejected unwritten.
  std::uint32_t Decode() override;

 private:
  std::uint32_t digits_;
  VariableDb* db_ = nullptr;
  IoNode counter_ = nullptr;
};

// #AAN: five digits, 0 to FFFFF.
class CounterReadCommand final : public CounterValueCommand {
 public:
  explicit CounterReadCommand(bool checksum);
  void Build(std::uint16_t address, const char* channel, VariableDb* db, IoNode counter);
};

// @AARECN: eight digits, the full 32 bits.
class PortCounterReadCommand final : public CounterValueCommand {
 public:
  explicit PortCounterReadCommand(bool checksum);
  void Build(std::uint16_t address, const char* channel, VariableDb* db, IoNode counter);
};

// $AACN: clears the counter; the reply carries nothing but the framing.
class CounterClearCommand final : public Command {
 public:
  explicit CounterClearCommand(bool checksum);
  void Build(std::uint16_t address, const char* channel);
};

// @AACECN: clears the counter of a port input.
class PortCounterClearCommand final : public Command {
 public:
  explicit PortCounterClearCommand(bool checksum);
  void Build(std::uint16_t address, const char* channel);
};

}  // namespace rio
