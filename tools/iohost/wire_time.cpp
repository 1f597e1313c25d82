#include "wire_time.h"

#include <cstdio>

namespace iohost {

unsigned BitsPerCharacter(const station::Bus& bus) {
  return 1 + bus.dataBits + (bus.parity == station::Parity::kNone ? 0 : 1) + bus.stopBits;
}

std::uint64_t WireTimeUs(std::size_t characters, const station::Bus& bus) {
  if (bus.baud == 0) return 0;
  const std::uint64_t bits = static_cast<std::uint64_t>(characters) * BitsPerCharacter(bus);
  return (bits * 1000000u + bus.baud - 1) / bus.baud;
}

void FormatLine(const station::Bus& bus, char* out, std::size_t size) {
  const char parity = bus.parity == station::Parity::kNone ? 'N'
                      : bus.parity == station::Parity::kEven ? 'E' : 'O';
  std::snprintf(out, size, "%u %u%c%u", bus.baud, bus.dataBits, parity, bus.stopBits);
}

}  // namespace iohost
