// Digital inputs with counters, shared by the port and bank forms: each
// input toggles with its own period (or is pinned by a test), and each
// counter counts the input's rising edges since it was last cleared.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

class DigitalInputBank {
 public:
  explicit DigitalInputBank(unsigned channels);

  unsigned Count() const { return static_cast<unsigned>(counters_.size()); }
  bool Level(unsigned channel, std::uint64_t now) const;
  std::uint32_t Levels(std::uint64_t now) const;  // bit i = input i
  std::uint32_t Counter(unsigned channel) const { return counters_.at(channel); }
  void ClearCounter(unsigned channel) { counters_.at(channel) = 0; }
  // Counts the rising edges since the last call.
  void Advance(std::uint64_t now);
  void PowerOn();
  bool Pin(unsigned channel, std::optional<bool> level, std::uint64_t now);

 private:
  std::vector<std::uint32_t> counters_;
  std::vector<std::optional<bool>> pins_;
  std::optional<std::uint64_t> lastAdvance_;
};

}  // namespace sim
