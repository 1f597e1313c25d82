#include "iomodsim/wire_time.h"

namespace sim {

std::chrono::microseconds WireTime(std::size_t characters, unsigned baud) {
  if (baud == 0) return std::chrono::microseconds(0);
  unsigned long long bits = static_cast<unsigned long long>(characters) * kBitsPerCharacter;
  return std::chrono::microseconds((bits * 1000000ull + baud - 1) / baud);
}

}  // namespace sim
