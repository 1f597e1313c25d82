#include "groups/analog_in/host_setting.h"

#include <cmath>

namespace rio {

std::int32_t ScaleSetting(float value, float scale, std::int32_t lowest, std::int32_t highest) {
  if (std::isnan(value)) return 0;
  // Exact in double (24 + 7 significant bits at most); huge values and
  // infinities are clamped before anything narrows them.
  const double exact = static_cast<double>(value) * static_cast<double>(scale);
  if (exact <= lowest) return lowest;
  if (exact >= highest) return highest;
  // One rounding to a 32-bit real, as a float multiplication rounds. The
  // volatile store forces it on x87, whose registers keep more bits.
  volatile float product = static_cast<float>(exact);
  return static_cast<std::int32_t>(product);
}

bool SameSetting(float a, float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void QueueSetting(RequestQueue& queue, Command* command, float present, float& recorded) {
  if (command == nullptr) return;
  Enqueue(queue, command);
  recorded = present;
}

void QueueSetting(RequestQueue& queue, Command* command, std::uint8_t present, std::uint8_t& recorded) {
  if (command == nullptr) return;
  Enqueue(queue, command);
  recorded = present;
}

void QueueSettingIfDue(RequestQueue& queue, Command* command, float present, float& recorded) {
  if (command == nullptr) return;
  if (!SameSetting(present, recorded) || command->IsAwaitingReply()) QueueSetting(queue, command, present, recorded);
}

void QueueSettingIfDue(RequestQueue& queue, Command* command, std::uint8_t present, std::uint8_t& recorded) {
  if (command == nullptr) return;
  if (present != recorded || command->IsAwaitingReply()) QueueSetting(queue, command, present, recorded);
}

}  // namespace rio
