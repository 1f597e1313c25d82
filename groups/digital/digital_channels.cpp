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

void BindNumberedNodes(IoNode moduleNode, const char* prefix, IoNode* nodes, std::uint32_t count) {
  for (IoNode child = FirstChild(moduleNode); child != nullptr; child = NextSibling(child)) {
    std::int32_t number = -1;
    if (ScanNumberedName(NameOf(child).text, prefix, number) && number >= 0 &&
        static_cast<std::uint32_t>(number) < count) {
      nodes[number] = child;
    }
  }
}

bool ReadHexField(const char* text, std::uint32_t length, std::uint32_t& value) {
  if (text == nullptr || length == 0 || length > 8) return false;
  std::uint32_t result = 0;
  for (std::uint32_t i = 0; i < length; ++i) {
    const char c = text[i];
    std::uint32_t digit = 0;
    if (c >= '0' && c <= '9') {
      digit = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<std::uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<std::uint32_t>(c - 'a' + 10);
    } else {
      return false;
    }
    result = (result << 4) | digit;
  }
  value = result;
  return true;
}

}  // namespace rio
