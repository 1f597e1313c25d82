// Values as people type them (initial values, `set`) and as the table shows
// them: strict parsing, ranges of every type, and the stored bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "host/host_tree.h"
#include "host/value_text.h"

namespace {

TEST(ValueText, RangesAndStrictParsing) {
  struct Case {
    std::uint8_t code;
    const char* text;
    bool ok;
    const char* shown;  // FormatValue of the stored bytes when ok
  };
  const Case cases[] = {
      {host::kTypeBool, "true", true, "1"},      {host::kTypeBool, "OFF", true, "0"},
      {host::kTypeBool, "2", false, ""},         {host::kTypeInt8, "-128", true, "-128"},
      {host::kTypeInt8, "128", false, ""},       {host::kTypeInt8, "0x7F", true, "127"},
      {host::kTypeUInt8, "-1", false, ""},       {host::kTypeUInt8, "255", true, "255"},
      {host::kTypeInt16, "-32769", false, ""},   {host::kTypeUInt16, "65535", true, "65535"},
      {host::kTypeInt32, "-2147483648", true, "-2147483648"},
      {host::kTypeInt32, "2147483648", false, ""},
      {host::kTypeUInt32, "4294967295", true, "4294967295"},
      {host::kTypeInt64, "-9223372036854775808", true, "-9223372036854775808"},
      {host::kTypeUInt64, "18446744073709551615", true, "18446744073709551615"},
      {host::kTypeUInt64, "18446744073709551616", false, ""},
      {host::kTypeInt32, "1.5", false, ""},      {host::kTypeInt32, "12abc", false, ""},
      {host::kTypeInt32, "", false, ""},         {host::kTypeInt32, " 42 ", true, "42"},
      {host::kTypeFloat32, "2.5", true, "2.5"},  {host::kTypeFloat32, "1e39", false, ""},
      {host::kTypeFloat64, "-1e300", true, "-1e+300"}, {host::kTypeFloat64, "nan", false, ""},
      {host::kTypeFloat32, "x", false, ""},      {host::kTypeString, "hello world", true, "hello world"},
  };
  for (const Case& c : cases) {
    std::uint8_t bytes[host::kStringRecordSize] = {};
    std::string error;
    EXPECT_EQ(host::EncodeValue(c.code, c.text, bytes, &error), c.ok) << c.text << " " << error;
    if (c.ok) {
      EXPECT_EQ(host::FormatValue(c.code, bytes), c.shown) << c.text;
    } else {
      EXPECT_FALSE(error.empty()) << c.text;
    }
  }
}

TEST(ValueText, WritesExactlyTheElementSizeLittleEndian) {
  std::uint8_t bytes[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  ASSERT_TRUE(host::EncodeValue(host::kTypeInt16, "-2", bytes, nullptr));
  EXPECT_EQ(bytes[0], 0xFE);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(bytes[2], 0xAA) << "the neighbour is untouched";
}

TEST(ValueText, StringRecordSizeIsItsFirstBytePlusThree) {
  std::uint8_t record[host::kStringRecordSize];
  ASSERT_TRUE(host::EncodeValue(host::kTypeString, "abc", record, nullptr));
  EXPECT_EQ(record[0] + 3u, host::kStringRecordSize);
  EXPECT_EQ(host::FormatValue(host::kTypeString, record), "abc");
  EXPECT_FALSE(host::EncodeValue(host::kTypeString, std::string(256, 'a'), record, nullptr));
}

}  // namespace
