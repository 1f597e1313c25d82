// How settings taken from host variables become request characters: CJC
// offsets, channel temperature settings and LED values, at their limits and
// beyond, including values no integer can hold.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "groups/analog_in/channel_temp_command.h"
#include "groups/analog_in/cjc_commands.h"
#include "groups/analog_in/led_commands.h"

namespace rio {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kMax = std::numeric_limits<float>::max();

std::string Offset(float value, CjcOffsetForm form) {
  char text[6];
  EncodeCjcOffset(value, form, text);
  return text;
}

TEST(CjcOffsetEncoding, ChannelFormInTenthsWithinPlusMinus127) {
  const std::pair<float, const char*> cases[] = {
      {0.0f, "-0000"},  {1.45f, "+000E"},  {-1.45f, "-000E"}, {12.75f, "+007F"}, {12.7f, "+007F"},
      {-20.0f, "-007F"}, {-0.05f, "-0000"}, {0.7f, "+0007"},   {0.3f, "+0003"},   {kMax, "+007F"},
      {-kMax, "-007F"},  {kInf, "+007F"},   {-kInf, "-007F"},  {kNaN, "-0000"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Offset(value, CjcOffsetForm::Channel), text) << value;
}

TEST(CjcOffsetEncoding, ModuleFormInHundredthsWithinPlusMinus65535) {
  const std::pair<float, const char*> cases[] = {
      {300.0f, "+7530"}, {-1.5f, "-0096"}, {700.0f, "+FFFF"}, {-1000.0f, "-FFFF"}, {0.001f, "-0000"},
      {0.07f, "+0007"},  {kMax, "+FFFF"},  {-kInf, "-FFFF"},   {kNaN, "-0000"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(Offset(value, CjcOffsetForm::Module), text) << value;
}

TEST(ChannelTempEncoding, TenthsAsOneTwosComplementByte) {
  const std::pair<float, unsigned> cases[] = {
      {2.5f, 0x19},  {-1.0f, 0xF6},  {-20.0f, 0x80}, {12.8f, 0x7F}, {12.7f, 0x7F}, {-12.8f, 0x80},
      {0.04f, 0x00}, {-0.09f, 0x00}, {0.7f, 0x07},   {kMax, 0x7F},  {-kInf, 0x80}, {kNaN, 0x00},
  };
  for (const auto& [value, byte] : cases) EXPECT_EQ(EncodeChannelTemp(value), byte) << value;
}

TEST(LedValueText, SevenCharactersWithFourOrThreeDecimals) {
  const std::pair<float, const char*> cases[] = {
      {0.5f, "+0.5000"},   {-1.25f, "-1.2500"}, {1.99f, "+1.9900"},   {2.0f, "+02.000"},  {-2.0f, "-02.000"},
      {45.678f, "+45.678"}, {-7.1f, "-07.100"}, {150.0f, "+99.990"},  {100.0f, "+99.990"}, {-100.0f, "-99.990"},
      {kInf, "+99.990"},    {-kMax, "-99.990"}, {kNaN, "+0.0000"},    {99.9999f, "+100.00"},
  };
  for (const auto& [value, text] : cases) {
    char formatted[8];
    FormatLedValue(value, formatted);
    EXPECT_EQ(std::string(formatted), text) << value;
  }
}

}  // namespace
}  // namespace rio
