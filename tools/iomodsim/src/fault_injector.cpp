#include "fault_injector.h"

namespace sim {

FaultInjector::FaultInjector(double dropProbability, double corruptProbability, std::uint32_t seed)
    : drop_(dropProbability), corrupt_(corruptProbability), generator_(seed) {}

double FaultInjector::Uniform() { return static_cast<double>(generator_() >> 8) / static_cast<double>(1u << 24); }

bool FaultInjector::DropRequest() { return Uniform() < drop_; }

bool FaultInjector::CorruptReply(std::string& reply) {
  bool corrupt = Uniform() < corrupt_;
  if (!corrupt || reply.size() < 2) return false;
  std::size_t position = generator_() % (reply.size() - 1);
  char original = reply[position];
  char altered = original;
  while (altered == original || altered == '\r' || altered == '\0') {
    altered = static_cast<char>(original ^ static_cast<char>(1 + generator_() % 127));
  }
  reply[position] = altered;
  return true;
}

}  // namespace sim
