// Conversion between the variable database's value types, and the typed
// accessors through which every group reads and writes host variables.
//
// Real-time path: called for every channel value of every reply; nothing
// here allocates.
#pragma once

#include <cstdint>

#include "framework/host_records.h"

namespace rio {

// Reads the value of type srcType at src and stores it converted to dstType
// at dst, writing exactly the destination's element size. Only the low 8 bits
// of each code count. Nothing is written when either type is not convertible
// (strings, codes without a value class).
void ConvertValue(void* dst, const void* src, std::uint32_t dstType, std::uint32_t srcType);

// Reads ignore lock flags and give 0 for anything that cannot be read.
std::uint8_t GetBool(VariableDb* db, IoNode node);
std::uint32_t GetUInt32(VariableDb* db, IoNode node);
float GetFloat(VariableDb* db, IoNode node);

// Writes skip locked variables and anything that cannot be written.
void SetFromBool(VariableDb* db, IoNode node, std::uint8_t value);
void SetFromUInt32(VariableDb* db, IoNode node, std::uint32_t value);
void SetFromFloat(VariableDb* db, IoNode node, float value);

}  // namespace rio
