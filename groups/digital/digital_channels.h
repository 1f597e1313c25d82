// What the digital groups share: the channel counts of a module family, the
// bit masks that pick a bank group's channels out of the module's "@" state
// reply, the binding of numbered variables, and fixed-width hexadecimal
// fields of replies.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/host_records.h"
#include "framework/node_binding.h"
#include "framework/tokens.h"

namespace rio {

// The widest digital module has 32 channels; state words are 32 bits.
constexpr std::uint32_t kMaxDigitalChannels = 32;
// The channel count of a model that the family's table does not name.
constexpr std::uint32_t kDefaultDigitalChannels = 8;

struct ChannelCountRow {
  const char* displayName;  // as in the driver's model table
  std::uint32_t channels;
};

struct ChannelTable {
  const ChannelCountRow* rows;
  std::size_t count;

  // The count of the first row naming the model (whole name, letter case
  // ignored), at most kMaxDigitalChannels; the default for other models.
  std::uint32_t ChannelsOf(const char* modelName) const;
};

// Where a bank group's n channels lie in the module's "@" state word.
enum class StateMask : std::uint8_t {
  LowChannels,           // bits 0 to n-1
  AboveLowChannels,      // bits n to 2n-1: outputs above as many inputs
  AllBits,               // the whole word, channels from bit 0
  SecondByteWhenNarrow,  // bits 8 to 15 for up to 8 channels, else the whole word
};

std::uint32_t StateMaskBits(StateMask mask, std::uint32_t channels);

}  // namespace rio
