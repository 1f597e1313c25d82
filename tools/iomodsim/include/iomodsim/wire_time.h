// Time that characters take on a serial line. Every wire delay of the
// simulator comes from this one function.
#pragma once

#include <chrono>
#include <cstddef>

namespace sim {

// Bits per character on the wire: start bit, eight data bits, stop bit.
constexpr unsigned kBitsPerCharacter = 10;

// characters x 10 bits / baud, rounded up to whole microseconds; 0 for baud 0.
std::chrono::microseconds WireTime(std::size_t characters, unsigned baud);

}  // namespace sim
