#include "part.h"

namespace sim {

std::string Acknowledge(const ModuleContext& context) { return "!" + Hex2(context.address); }
std::string Refuse(const ModuleContext& context) { return "?" + Hex2(context.address); }

}  // namespace sim
