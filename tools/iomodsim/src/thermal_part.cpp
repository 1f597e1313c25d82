#include "thermal_part.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

constexpr unsigned kChannelOffsetLimit = 0x7F;  // 12.7 degrees in 0.1 degree steps

}  // namespace

ThermalPart::ThermalPart(const ThermalFeatures& features, unsigned channels)
    : features_(features), channelOffsets_(channels, 0.0), temperatureSettings_(channels, 0.0) {}

double ThermalPart::ColdJunctionTemperature(std::uint64_t now) {
  return 25.0 + 1.5 * std::sin(2 * 3.14159265358979323846 * static_cast<double>(now % 60000) / 60000.0);
}

std::optional<std::string> ThermalPart::Handle(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (features_.cjcReadAndEnable) {
    if (request.prefix == '$' && body == "3") {
      return Accept() + FixedWidthField(ColdJunctionTemperature(context.now), 7, 3);
    }
    if (request.prefix == '~' && body.size() == 2 && body[0] == 'C') {  // ~AAC 0|1
      if (body[1] != '0' && body[1] != '1') return Refuse(context);
      cjcEnabled_ = body[1] == '1';
      return Acknowledge(context);
    }
  }
  if ((features_.channelOffsets || features_.moduleOffset) && request.prefix == '$' && body.rfind('9', 0) == 0) {
    return HandleOffset(request, context);
  }
  if (features_.temperatureSettings && request.prefix == '@' && body.rfind("A2C", 0) == 0) {
    return HandleTemperatureSetting(request, context);
  }
  return std::nullopt;
}

// $AA9 sign hhhh C c (channel, 0.1 degree steps up to 12.7) or $AA9 sign hhhh
// (module, 0.01 degree steps).
std::optional<std::string> ThermalPart::HandleOffset(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  std::size_t expected = features_.channelOffsets ? 8 : 6;
  if (body.size() != expected || (body[1] != '+' && body[1] != '-')) return Refuse(context);
  auto magnitude = ParseHex(std::string_view(body).substr(2, 4), 4, 4);
  if (!magnitude) return Refuse(context);
  double sign = body[1] == '-' ? -1.0 : 1.0;
  if (features_.moduleOffset) {
    moduleOffset_ = sign * *magnitude / 100.0;
    return Acknowledge(context);
  }
  auto channel = body[6] == 'C' ? ParseChannel(body[7], static_cast<unsigned>(channelOffsets_.size())) : std::nullopt;
  if (!channel || *magnitude > kChannelOffsetLimit) return Refuse(context);
  channelOffsets_[*channel] = sign * *magnitude / 10.0;
  return Acknowledge(context);
}

// @AAA2C c T vv: vv is the setting in 0.1 degree steps as a two's complement byte.
std::optional<std::string> ThermalPart::HandleTemperatureSetting(const Request& request, ModuleContext& context) {
  const std::string& body = request.body;
  if (body.size() != 7 || body[4] != 'T') return Refuse(context);
  auto channel = ParseChannel(body[3], static_cast<unsigned>(temperatureSettings_.size()));
  auto value = ParseHex(std::string_view(body).substr(5), 2, 2);
  if (!channel || !value) return Refuse(context);
  temperatureSettings_[*channel] = static_cast<std::int8_t>(static_cast<std::uint8_t>(*value)) / 10.0;
  return Acknowledge(context);
}

void ThermalPart::PowerOn(ModuleContext& /*context*/) {
  cjcEnabled_ = true;
  moduleOffset_ = 0;
  std::fill(channelOffsets_.begin(), channelOffsets_.end(), 0.0);
  std::fill(temperatureSettings_.begin(), temperatureSettings_.end(), 0.0);
}

void ThermalPart::Describe(const ModuleContext& context, ModuleSnapshot& snapshot) const {
  snapshot.cjcEnabled = cjcEnabled_;
  snapshot.cjcTemperature = ColdJunctionTemperature(context.now);
  snapshot.moduleCjcOffset = moduleOffset_;
  snapshot.analogInputs.resize(std::max(snapshot.analogInputs.size(), channelOffsets_.size()));
  for (std::size_t channel = 0; channel < channelOffsets_.size(); ++channel) {
    snapshot.analogInputs[channel].cjcOffset = channelOffsets_[channel];
    snapshot.analogInputs[channel].temperatureSetting = temperatureSettings_[channel];
  }
}

}  // namespace sim
