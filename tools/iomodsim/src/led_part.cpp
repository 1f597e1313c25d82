#include "led_part.h"

#include <cmath>

namespace sim {
namespace {

constexpr std::size_t kValueLength = 7;
constexpr double kDisplayLimit = 100.0;  // the display shows at most two integer digits

}  // namespace

std::optional<std::string> LedPart::Handle(const Request& request, ModuleContext& context) {
  if (request.prefix != '$') return std::nullopt;
  const std::string& body = request.body;
  if (body.size() == 2 && body[0] == '8') {
    if (body[1] <= ' ' || body[1] >= 0x7F) return Refuse(context);
    mode_ = body[1];
    return Acknowledge(context);
  }
  if (!body.empty() && body[0] == '9') {
    std::string_view text = std::string_view(body).substr(1);
    auto value = text.size() == kValueLength ? ParseDecimal(text) : std::nullopt;
    if (!value || std::fabs(*value) >= kDisplayLimit) return Refuse(context);
    value_ = *value;
    return Acknowledge(context);
  }
  return std::nullopt;
}

void LedPart::PowerOn(ModuleContext& /*context*/) {
  mode_ = kFactoryMode;
  value_ = 0;
}

void LedPart::Describe(const ModuleContext& /*context*/, ModuleSnapshot& snapshot) const {
  snapshot.ledMode = mode_;
  snapshot.ledValue = value_;
}

}  // namespace sim
