#include "framework/ticks.h"

#include <ctime>

namespace rio {

std::uint32_t SystemTicks() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000U + static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
  return static_cast<std::uint32_t>(ms);
}

}  // namespace rio
