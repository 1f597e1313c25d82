// The millisecond tick count: a 32-bit number that wraps; intervals are
// always unsigned differences now minus then.
#pragma once

#include <cstdint>

namespace rio {

using TickSource = std::uint32_t (*)();

// Milliseconds of the monotonic clock, cut to 32 bits.
std::uint32_t SystemTicks();

}  // namespace rio
