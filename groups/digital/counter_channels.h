// The channels of a digital input group: the variables "DI n",
// "DI Counter n" and "DI Reset n", the counter commands of the channels
// whose input node asks for a counter, and the reset levels that turn a
// rising reset variable into one clear.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/command.h"
#include "framework/host_records.h"
#include "groups/digital/digital_channels.h"

namespace rio {

// How a channel number appears in a counter request.
enum class ChannelDigits : std::uint8_t {
  Natural,    // "%X": one digit below 16, two from 16
  Two,        // "%02X"
  LowDigit,   // "%X" of the number modulo 16
};

class CounterChannels {
 public:
  // Binds the three variable families for channels 0 to count - 1 (at most
  // 32), forgetting earlier bindings and reset levels.
  void Bind(VariableDb* db, IoNode moduleNode, std::uint32_t count);

  // For every channel with an input node: its counter commands are dropped
  // and made anew when the node's first parameter token begins with "E".
  // ReadKind and ClearKind are the family's counter command kinds.
  template <class ReadKind, class ClearKind>
  void CreateCounters(bool checksum, std::uint16_t address, ChannelDigits digits);

  // Queues the clear of every channel with a counter, in channel order.
  void QueueAllClears(RequestQueue& queue);
  // Real-time path: channel by channel, the clear when the reset variable
  // rose since the last call, then the counter read.
  void QueueCounters(RequestQueue& queue);

  const IoNode* InputNodes() const { return inputs_; }
  std::uint32_t Count() const { return count_; }

 private:
  static bool HasCounterOption(IoNode input);
  static void FormatChannel(std::uint32_t channel, ChannelDigits digits, char* text, std::size_t size);

  VariableDb* db_ = nullptr;
  std::uint32_t count_ = 0;
  IoNode inputs_[kMaxDigitalChannels] = {};
  IoNode counters_[kMaxDigitalChannels] = {};
  IoNode resets_[kMaxDigitalChannels] = {};
  std::uint8_t resetLevels_[kMaxDigitalChannels] = {};
  std::unique_ptr<Command> reads_[kMaxDigitalChannels];
  std::unique_ptr<Command> clears_[kMaxDigitalChannels];
};

template <class ReadKind, class ClearKind>
void CounterChannels::CreateCounters(bool checksum, std::uint16_t address, ChannelDigits digits) {
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (inputs_[i] == nullptr) continue;
    reads_[i].reset();
    clears_[i].reset();
    if (!HasCounterOption(inputs_[i])) continue;
    char channel[8];
    FormatChannel(i, digits, channel, sizeof channel);
    auto read = std::make_unique<ReadKind>(checksum);
    read->Build(address, channel, db_, counters_[i]);
    auto clear = std::make_unique<ClearKind>(checksum);
    clear->Build(address, channel);
    reads_[i] = std::move(read);
    clears_[i] = std::move(clear);
  }
}

}  // namespace rio
