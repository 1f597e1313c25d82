#include "framework/value_access.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace rio {
namespace {

enum class ValueClass { None, Bool, Signed, Unsigned, Real };

struct TypeInfo {
  ValueClass valueClass;
  unsigned size;
};

TypeInfo InfoOf(std::uint32_t code) {
  switch (code & 0xFF) {
    case TypeBool: return {ValueClass::Bool, 1};
    case TypeInt8: return {ValueClass::Signed, 1};
    case TypeInt16: return {ValueClass::Signed, 2};
    case TypeInt32: return {ValueClass::Signed, 4};
    case TypeInt64: return {ValueClass::Signed, 8};
    case TypeUInt8: return {ValueClass::Unsigned, 1};
    case TypeUInt16: return {ValueClass::Unsigned, 2};
    case TypeUInt32:
    case TypeAux32: return {ValueClass::Unsigned, 4};
    case TypeUInt64: return {ValueClass::Unsigned, 8};
    case TypeFloat32: return {ValueClass::Real, 4};
    case TypeFloat64: return {ValueClass::Real, 8};
    default: return {ValueClass::None, 0};
  }
}

// Little-endian bytes of the given width, zero-extended to 64 bits.
std::uint64_t LoadBits(const void* at, unsigned size) {
  std::uint8_t bytes[8] = {};
  std::memcpy(bytes, at, size);
  std::uint64_t bits = 0;
  for (unsigned i = size; i-- > 0;) bits = (bits << 8) | bytes[i];
  return bits;
}

void StoreBits(void* at, std::uint64_t bits, unsigned size) {
  std::uint8_t bytes[8];
  for (unsigned i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
  std::memcpy(at, bytes, size);
}

std::uint64_t SignExtend(std::uint64_t bits, unsigned size) {
  if (size >= 8) return bits;
  const std::uint64_t sign = std::uint64_t{1} << (8 * size - 1);
  return (bits ^ sign) - sign;
}

double LoadReal(const void* at, unsigned size) {
  if (size == 4) {
    float value;
    std::memcpy(&value, at, 4);
    return value;
  }
  double value;
  std::memcpy(&value, at, 8);
  return value;
}

// Truncates toward zero into [low, high]; NaN gives 0. Out-of-range values
// saturate, so no conversion is undefined.
template <class Int>
Int TruncateSaturating(double value) {
  if (std::isnan(value)) return 0;
  constexpr Int low = std::numeric_limits<Int>::min();
  constexpr Int high = std::numeric_limits<Int>::max();
  if (value <= static_cast<double>(low)) return low;
  // high may round up when converted to double; compare with >= for safety.
  if (value >= static_cast<double>(high)) return high;
  return static_cast<Int>(value);
}

// The integer bits a real becomes, through the intermediate integer that the
// destination type prescribes.
std::uint64_t RealToIntegerBits(double value, std::uint32_t dstCode) {
  switch (dstCode & 0xFF) {
    case TypeInt8:
    case TypeInt16:
    case TypeInt32:
      return static_cast<std::uint64_t>(static_cast<std::int64_t>(TruncateSaturating<std::int32_t>(value)));
    case TypeInt64:
      return static_cast<std::uint64_t>(TruncateSaturating<std::int64_t>(value));
    case TypeUInt64:
      return TruncateSaturating<std::uint64_t>(value);
    default:  // the unsigned 8, 16 and 32 bit types and the auxiliary 32 bit type
      return TruncateSaturating<std::uint32_t>(value);
  }
}

}  // namespace

void ConvertValue(void* dst, const void* src, std::uint32_t dstType, std::uint32_t srcType) {
  const TypeInfo to = InfoOf(dstType);
  const TypeInfo from = InfoOf(srcType);
  if (to.valueClass == ValueClass::None || from.valueClass == ValueClass::None) return;
  if ((dstType & 0xFF) == (srcType & 0xFF)) {
    std::memmove(dst, src, to.size);
    return;
  }

  if (from.valueClass == ValueClass::Real) {
    const double real = LoadReal(src, from.size);
    switch (to.valueClass) {
      case ValueClass::Bool:
        StoreBits(dst, real != 0.0 || std::isnan(real) ? 1 : 0, 1);
        return;
      case ValueClass::Real:
        if (to.size == 4) {
          const auto narrowed = static_cast<float>(real);
          std::memcpy(dst, &narrowed, 4);
        } else {
          std::memcpy(dst, &real, 8);
        }
        return;
      default:
        StoreBits(dst, RealToIntegerBits(real, dstType), to.size);
        return;
    }
  }

  std::uint64_t bits = LoadBits(src, from.size);
  if (from.valueClass == ValueClass::Signed) bits = SignExtend(bits, from.size);
  switch (to.valueClass) {
    case ValueClass::Bool:
      StoreBits(dst, bits != 0 ? 1 : 0, 1);
      return;
    case ValueClass::Real: {
      const double real = from.valueClass == ValueClass::Signed ? static_cast<double>(static_cast<std::int64_t>(bits))
                                                                : static_cast<double>(bits);
      if (to.size == 4) {
        // Straight from the integer, so the value is rounded once.
        const float narrowed = from.valueClass == ValueClass::Signed
                                   ? static_cast<float>(static_cast<std::int64_t>(bits))
                                   : static_cast<float>(bits);
        std::memcpy(dst, &narrowed, 4);
      } else {
        std::memcpy(dst, &real, 8);
      }
      return;
    }
    default:
      StoreBits(dst, bits, to.size);
      return;
  }
}

namespace {

// The variable's data and type code, or null when the node holds no variable.
std::uint8_t* VariableData(VariableDb* db, IoNode node, bool* lockedOut, std::uint8_t* typeOut) {
  if (!IsVariableNode(node)) return nullptr;
  const std::uint8_t* descriptor = NodeDescriptor(node);
  *typeOut = static_cast<std::uint8_t>(LoadU16(descriptor + kDescriptorType) & 0xFF);
  return LocateVariable(db, descriptor, lockedOut);
}

template <class T>
T Read(VariableDb* db, IoNode node, VarType as) {
  std::uint8_t type = 0;
  const std::uint8_t* data = VariableData(db, node, nullptr, &type);
  T result{};
  if (data != nullptr) ConvertValue(&result, data, as, type);
  return result;
}

template <class T>
void Write(VariableDb* db, IoNode node, T value, VarType as) {
  std::uint8_t type = 0;
  bool locked = false;
  std::uint8_t* data = VariableData(db, node, &locked, &type);
  if (data == nullptr || locked) return;
  ConvertValue(data, &value, type, as);
}

}  // namespace

std::uint8_t GetBool(VariableDb* db, IoNode node) { return Read<std::uint8_t>(db, node, TypeBool); }
std::uint32_t GetUInt32(VariableDb* db, IoNode node) { return Read<std::uint32_t>(db, node, TypeUInt32); }
float GetFloat(VariableDb* db, IoNode node) { return Read<float>(db, node, TypeFloat32); }

void SetFromBool(VariableDb* db, IoNode node, std::uint8_t value) {
  const std::uint8_t normalized = value != 0 ? 1 : 0;
  Write(db, node, normalized, TypeBool);
}
void SetFromUInt32(VariableDb* db, IoNode node, std::uint32_t value) { Write(db, node, value, TypeUInt32); }
void SetFromFloat(VariableDb* db, IoNode node, float value) { Write(db, node, value, TypeFloat32); }

}  // namespace rio
