#include "groups/digital/counter_channels.h"

#include <cstdio>

#include "framework/tokens.h"
#include "framework/value_access.h"

namespace rio {

void CounterChannels::Bind(VariableDb* db, IoNode moduleNode, std::uint32_t count) {
  db_ = db;
  count_ = count < kMaxDigitalChannels ? count : kMaxDigitalChannels;
  for (std::uint32_t i = 0; i < kMaxDigitalChannels; ++i) {
    inputs_[i] = nullptr;
    counters_[i] = nullptr;
    resets_[i] = nullptr;
    resetLevels_[i] = 0;
  }
  // "DI %d" cannot take "DI Counter 2": a letter stands where the number
  // must begin.
  BindNumberedChildren(moduleNode, "DI ", inputs_, count_);
  BindNumberedChildren(moduleNode, "DI Counter ", counters_, count_);
  BindNumberedChildren(moduleNode, "DI Reset ", resets_, count_);
}

bool CounterChannels::HasCounterOption(IoNode input) {
  TokenReader tokens(ParamsOf(input).text);
  return FirstChar(tokens.Next()) == 'E';
}

void CounterChannels::FormatChannel(std::uint32_t channel, ChannelDigits digits, char* text, std::size_t size) {
  switch (digits) {
    case ChannelDigits::Two:
      std::snprintf(text, size, "%02X", static_cast<unsigned>(channel));
      return;
    case ChannelDigits::LowDigit:
      std::snprintf(text, size, "%X", static_cast<unsigned>(channel % 16));
      return;
    case ChannelDigits::Natural:
      break;
  }
  std::snprintf(text, size, "%X", static_cast<unsigned>(channel));
}

void CounterChannels::QueueAllClears(RequestQueue& queue) {
  for (std::uint32_t i = 0; i < count_; ++i) Enqueue(queue, clears_[i].get());
}

void CounterChannels::QueueCounters(RequestQueue& queue) {
  for (std::uint32_t i = 0; i < count_; ++i) {
    if (clears_[i]) {
      const std::uint8_t level = GetBool(db_, resets_[i]);
      if (resetLevels_[i] == 0 && level != 0) Enqueue(queue, clears_[i].get());
      resetLevels_[i] = level;
    }
    Enqueue(queue, reads_[i].get());
  }
}

}  // namespace rio
