// Settings taken from host variables (CJC offsets and enable, temperature
// settings, the LED value): how a value becomes the module's integer units,
// and when its command goes out.
//
// A setting goes out at every offline pass, and online when its value
// differs from the value last queued or when its last exchange was never
// answered (no reply, broken framing, wrong echo, checksum error, or the
// queue dropped when the module was lost): a value the module never received
// is not forgotten. A reply the module refused is final until the value
// changes again.
#pragma once

#include <cstdint>

#include "framework/command.h"

namespace rio {

// value x scale as a 32-bit real product (so 0.7 x 10 is 7, as the user
// wrote it, on every target), clamped to lowest ... highest and truncated
// toward zero. Clamping comes before the conversion to an integer, so huge
// values and infinities are safe; NaN gives 0.
std::int32_t ScaleSetting(float value, float scale, std::int32_t lowest, std::int32_t highest);

// Equal values, or both NaN: a NaN setting is sent once, not at every pass.
bool SameSetting(float a, float b);

// Offline pass: queues the command and records the value it carries.
// Null commands are skipped.
void QueueSetting(RequestQueue& queue, Command* command, float present, float& recorded);
void QueueSetting(RequestQueue& queue, Command* command, std::uint8_t present, std::uint8_t& recorded);

// Online pass: queues the command when the value changed or the module has
// not received the last one; records the value it carries.
void QueueSettingIfDue(RequestQueue& queue, Command* command, float present, float& recorded);
void QueueSettingIfDue(RequestQueue& queue, Command* command, std::uint8_t present, std::uint8_t& recorded);

}  // namespace rio
