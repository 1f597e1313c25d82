#include "groups/digital/digital_channels.h"

#include "framework/tokens.h"

namespace rio {

std::uint32_t ChannelTable::ChannelsOf(const char* modelName) const {
  for (std::size_t i = 0; i < count; ++i) {
    if (EqualsIgnoringCase(rows[i].displayName, modelName)) {
      return rows[i].channels < kMaxDigitalChannels ? rows[i].channels : kMaxDigitalChannels;
    }
  }
  return kDefaultDigitalChannels;
}

std::uint32_t StateMaskBits(StateMask mask, std::uint32_t channels) {
  const std::uint64_t low = channels >= 32 ? 0xFFFFFFFFULL : (1ULL << channels) - 1;
  switch (mask) {
    case StateMask::LowChannels:
      return static_cast<std::uint32_t>(low);
    case StateMask::AboveLowChannels:
      return channels >= 32 ? 0 : static_cast<std::uint32_t>(low << channels);
    case StateMask::SecondByteWhenNarrow:
      return channels <= 8 ? 0x0000FF00U : 0xFFFFFFFFU;
    case StateMask::AllBits:
      break;
  }
  return 0xFFFFFFFFU;
}

}  // namespace rio
