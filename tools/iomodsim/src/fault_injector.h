// Faults on the wire, drawn from one seeded generator so that a run can be
// repeated: requests lost before they reach the module, and replies with
// one character altered. Every frame that reaches a module draws once for
// the drop, and every reply once for the corruption, whatever the
// probabilities, so the sequence depends on the seed and the traffic alone.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace sim {

class FaultInjector {
 public:
  FaultInjector(double dropProbability, double corruptProbability, std::uint32_t seed);

  bool DropRequest();
  // Alters one character before the final carriage return (never into a
  // carriage return or a NUL); true when it did.
  bool CorruptReply(std::string& reply);

 private:
  double Uniform();  // [0, 1)

  double drop_, corrupt_;
  std::mt19937 generator_;
};

}  // namespace sim
