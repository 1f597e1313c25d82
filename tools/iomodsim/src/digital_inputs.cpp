#include "digital_inputs.h"

namespace sim {
namespace {

// Input i stays at each level for (i + 1) x 100 ms.
std::uint64_t HalfPeriod(unsigned channel) { return 100 * (static_cast<std::uint64_t>(channel) + 1); }

bool WaveLevel(unsigned channel, std::uint64_t now) { return (now / HalfPeriod(channel)) % 2 == 1; }

// Rising edges of the waveform from time 0 up to now.
std::uint64_t RisingEdges(unsigned channel, std::uint64_t now) { return (now / HalfPeriod(channel) + 1) / 2; }

}  // namespace

DigitalInputBank::DigitalInputBank(unsigned channels) : counters_(channels, 0), pins_(channels) {}

bool DigitalInputBank::Level(unsigned channel, std::uint64_t now) const {
  return pins_.at(channel) ? *pins_[channel] : WaveLevel(channel, now);
}

std::uint32_t DigitalInputBank::Levels(std::uint64_t now) const {
  std::uint32_t levels = 0;
  for (unsigned channel = 0; channel < Count() && channel < 32; ++channel) {
    if (Level(channel, now)) levels |= 1u << channel;
  }
  return levels;
}

void DigitalInputBank::Advance(std::uint64_t now) {
  if (lastAdvance_ && now > *lastAdvance_) {
    for (unsigned channel = 0; channel < Count(); ++channel) {
      if (pins_[channel]) continue;
      counters_[channel] += static_cast<std::uint32_t>(RisingEdges(channel, now) - RisingEdges(channel, *lastAdvance_));
    }
  }
  if (!lastAdvance_ || now > *lastAdvance_) lastAdvance_ = now;
}

void DigitalInputBank::PowerOn() {
  for (auto& counter : counters_) counter = 0;
}

bool DigitalInputBank::Pin(unsigned channel, std::optional<bool> level, std::uint64_t now) {
  if (channel >= Count()) return false;
  Advance(now);
  bool before = Level(channel, now);
  pins_[channel] = level;
  if (!before && Level(channel, now)) ++counters_[channel];
  return true;
}

}  // namespace sim
