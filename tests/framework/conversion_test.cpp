// The value converter: every rule of the conversion table, with the cases
// where a wrong width, sign or rounding would corrupt a process value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "framework/value_access.h"

namespace rio {
namespace {

// Converts value (held as type From) to the destination type and returns the
// destination bytes, read back as To.
template <class To, class From>
To Convert(From value, std::uint8_t toType, std::uint8_t fromType) {
  To result{};
  ConvertValue(&result, &value, toType, fromType);
  return result;
}

TEST(ConvertValue, IntegerToIntegerKeepsLowBytesAfterWidening) {
  EXPECT_EQ(Convert<std::uint16_t>(std::int8_t{-1}, TypeUInt16, TypeInt8), 65535);
  EXPECT_EQ(Convert<std::uint32_t>(std::int8_t{-1}, TypeUInt32, TypeInt8), 4294967295U);
  EXPECT_EQ(Convert<std::int8_t>(std::uint32_t{300}, TypeInt8, TypeUInt32), 44);
  EXPECT_EQ(Convert<std::int8_t>(std::uint16_t{65535}, TypeInt8, TypeUInt16), -1);
  EXPECT_EQ(Convert<std::uint8_t>(std::int8_t{-128}, TypeUInt8, TypeInt8), 128);
  EXPECT_EQ(Convert<std::int16_t>(std::uint8_t{200}, TypeInt16, TypeUInt8), 200);
  EXPECT_EQ(Convert<std::int32_t>(std::int64_t{0x123456789LL}, TypeInt32, TypeInt64), 0x23456789);
  EXPECT_EQ(Convert<std::int64_t>(std::int16_t{-2}, TypeInt64, TypeInt16), -2);
  EXPECT_EQ(Convert<std::uint32_t>(std::uint32_t{7}, TypeAux32, TypeUInt32), 7U);
  EXPECT_EQ(Convert<std::uint64_t>(std::uint32_t{0xFFFFFFFF}, TypeUInt64, TypeAux32), 0xFFFFFFFFULL);
}

TEST(ConvertValue, ToBooleanTestsTheWholeSourceValue) {
  EXPECT_EQ(Convert<std::uint8_t>(0.0, TypeBool, TypeFloat64), 0);
  EXPECT_EQ(Convert<std::uint8_t>(-0.0, TypeBool, TypeFloat64), 0);
  EXPECT_EQ(Convert<std::uint8_t>(std::nan(""), TypeBool, TypeFloat64), 1);
  EXPECT_EQ(Convert<std::uint8_t>(1e-300, TypeBool, TypeFloat64), 1);
  EXPECT_EQ(Convert<std::uint8_t>(std::int64_t{1} << 40, TypeBool, TypeInt64), 1);
  EXPECT_EQ(Convert<std::uint8_t>(std::uint32_t{256}, TypeBool, TypeUInt32), 1);
}

TEST(ConvertValue, IntegerToRealRoundsToNearest) {
  EXPECT_EQ(Convert<float>(std::uint32_t{16777217}, TypeFloat32, TypeUInt32), 16777216.0f);
  EXPECT_EQ(Convert<float>(std::uint32_t{4294967295U}, TypeFloat32, TypeUInt32), 4294967296.0f);
  EXPECT_EQ(Convert<float>(std::int32_t{-1}, TypeFloat32, TypeInt32), -1.0f);
  EXPECT_EQ(Convert<float>(std::int8_t{-1}, TypeFloat32, TypeInt8), -1.0f);
  EXPECT_EQ(Convert<double>(std::int64_t{-5}, TypeFloat64, TypeInt64), -5.0);
  EXPECT_EQ(Convert<float>(std::uint8_t{1}, TypeFloat32, TypeBool), 1.0f);
}

TEST(ConvertValue, RealToIntegerTruncatesThroughItsIntermediate) {
  EXPECT_EQ(Convert<std::int16_t>(3.99f, TypeInt16, TypeFloat32), 3);
  EXPECT_EQ(Convert<std::int16_t>(-3.99f, TypeInt16, TypeFloat32), -3);
  EXPECT_EQ(Convert<std::int8_t>(300.7f, TypeInt8, TypeFloat32), 44);
  EXPECT_EQ(Convert<std::int32_t>(2.5f, TypeInt32, TypeFloat32), 2);
  EXPECT_EQ(Convert<std::int32_t>(-2.5f, TypeInt32, TypeFloat32), -2);
  EXPECT_EQ(Convert<std::uint16_t>(65537.0, TypeUInt16, TypeFloat64), 1);
  EXPECT_EQ(Convert<std::int64_t>(-1e12, TypeInt64, TypeFloat64), -1000000000000LL);
  EXPECT_EQ(Convert<std::uint64_t>(1e15f, TypeUInt64, TypeFloat32), static_cast<std::uint64_t>(1e15f));
}

TEST(ConvertValue, RealsOutsideTheIntermediateSaturateWithoutUndefinedBehaviour) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Convert<std::int32_t>(5e9, TypeInt32, TypeFloat64), INT32_MAX);
  EXPECT_EQ(Convert<std::int32_t>(-inf, TypeInt32, TypeFloat64), INT32_MIN);
  EXPECT_EQ(Convert<std::uint32_t>(-1.0, TypeUInt32, TypeFloat64), 0U);
  EXPECT_EQ(Convert<std::uint32_t>(std::nan(""), TypeUInt32, TypeFloat64), 0U);
  EXPECT_EQ(Convert<std::uint64_t>(inf, TypeUInt64, TypeFloat64), UINT64_MAX);
  EXPECT_EQ(Convert<std::int64_t>(std::nanf(""), TypeInt64, TypeFloat32), 0);
}

TEST(ConvertValue, RealToReal) {
  EXPECT_EQ(Convert<double>(0.1f, TypeFloat64, TypeFloat32), static_cast<double>(0.1f));
  EXPECT_EQ(Convert<float>(0.1, TypeFloat32, TypeFloat64), 0.1f);
}

TEST(ConvertValue, UnconvertibleTypesLeaveTheDestinationAlone) {
  const std::uint8_t codes[][2] = {{TypeString, TypeInt32}, {TypeInt32, TypeString}, {7, TypeInt32},
                                   {TypeInt32, 7},          {0, TypeBool},           {TypeBool, 18}};
  for (const auto& pair : codes) {
    std::int32_t destination = 0x5A5A5A5A;
    const std::int32_t source = 1;
    ConvertValue(&destination, &source, pair[0], pair[1]);
    EXPECT_EQ(destination, 0x5A5A5A5A) << int{pair[0]} << " from " << int{pair[1]};
  }
}

TEST(ConvertValue, WritesOnlyTheDestinationWidthAndUsesLowCodeBits) {
  std::uint8_t area[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  const float value = -3.0f;
  ConvertValue(area + 1, &value, TypeInt8, TypeFloat32);
  EXPECT_EQ(area[0], 0xAA);
  EXPECT_EQ(area[1], 0xFD);
  EXPECT_EQ(area[2], 0xAA);
  std::int16_t wide = 0;
  const std::uint8_t flag = 1;
  ConvertValue(&wide, &flag, 0x100 | TypeInt16, 0x300 | TypeBool);
  EXPECT_EQ(wide, 1);
}

}  // namespace
}  // namespace rio
