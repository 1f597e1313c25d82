// Time that characters take on the serial line. Every timeout and every
// figure of the host that depends on the line speed comes from WireTime.
#pragma once

#include <cstddef>
#include <cstdint>

#include "station/station.h"

namespace iohost {

// Bits of one character: start bit + data bits + parity bit (if any) + stop bits.
unsigned BitsPerCharacter(const station::Bus& bus);

// Microseconds that `characters` take at the bus's baud rate and frame format,
// rounded up. 8N1 at 9600 baud: 10 bits per character, 1042 us each.
std::uint64_t WireTimeUs(std::size_t characters, const station::Bus& bus);

// "9600 8N1" style summary of a bus's line settings.
void FormatLine(const station::Bus& bus, char* out, std::size_t size);

}  // namespace iohost
