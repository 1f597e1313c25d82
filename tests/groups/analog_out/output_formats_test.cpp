// Value texts of the analog output group: the write format chosen by data
// format and type code, limits, hexadecimal start-up codes and what short
// parameter strings send.
#include <gtest/gtest.h>

#include <limits>

#include "tests/groups/analog_out/output_group_harness.h"

namespace rio {
namespace {

using testing_outputs::kContinuousOnline;
using testing_outputs::kOffline;
using testing_outputs::kOtherModesOnline;
using testing_outputs::OutputGroupHarness;

struct WriteCase {
  const AnalogOutputVariant* variant;
  const char* moduleParams;
  const char* channelParams;
  float value;
  const char* write;
};

TEST(AnalogOutputWrites, FormatFollowsDataFormatVariantAndTypeCode) {
  const WriteCase cases[] = {
      // The mixed module's engineering units go by the output type code.
      {&kMx43610Outputs, "00", "30,0,-100,1000,0,0", 5.0f, "#010+05.000"},
      {&kMx43610Outputs, "00", "33,0,-100,1000,0,0", -1.25f, "#010-01.250"},
      {&kMx43610Outputs, "00", "34,0,-100,1000,0,0", 2.5f, "#010+2.5000"},
      {&kMx43610Outputs, "00", "35,0,-100,1000,0,0", 123.456f, "#010+123.456"},  // +123.4560, cut to 8
      {&kMx43610Outputs, "00", "3A,0,-100,1000,0,0", 5.0f, "#010+05.000"},     // not in the table
      {&kMx43610Outputs, "00", "3,0,-100,1000,0,0", 5.0f, "#010+05.000"},      // one character only
      {&kMx43610Outputs, "01", "34,0,-100,1000,0,0", 50.0f, "#010+050.00"},
      {&kMx43610Outputs, "07", "34,0,-100,1000,0,0", 50.0f, "#010+050.00"},  // undefined code: as 01
      {&kMx43610Outputs, "02", "34,0,-100,1000,0,0", 1234.0f, "#0104D2"},
      {&kMx43220Outputs, "00", "0,0,0,20,0,0", 5.0f, "#01005.000"},
      {&kMx43220Outputs, "00", "0,0,0,100000,0,0", 12345.678f, "#01012345.67"},
      {&kMx43220Outputs, "01", "0,0,0,100,0,0", 50.0f, "#010+050.00"},
      {&kMx43280Outputs, "00", "0,0,-20,20,0,0", 5.0f, "#010+05.000"},
      {&kMx43280Outputs, "0", "0,0,-20,20,0,0", 5.0f, "#010+005.00"},  // too short a code: as 01
  };
  for (const WriteCase& c : cases) {
    SCOPED_TRACE(std::string(c.moduleParams) + " / " + c.channelParams);
    OutputGroupHarness h(*c.variant, c.moduleParams);
    h.tree.Set<float>(h.AddOutput("AO 0", c.channelParams), c.value);
    h.Start();
    EXPECT_EQ(h.Pass(kContinuousOnline), std::vector<std::string>{c.write});
  }
}

TEST(AnalogOutputWrites, HexadecimalFormatTakesTheIntegerWithoutLimits) {
  OutputGroupHarness h(kMx43610Outputs, "02");
  host::Var ao0 = h.AddOutput("AO 0", "30,0,0,10,0,0", host::kTypeUInt32);
  h.Start();
  h.tree.Set<std::uint32_t>(ao0, 0xFFFFFFFFU);
  EXPECT_EQ(h.Pass(kContinuousOnline), std::vector<std::string>{"#010FFFFFFFF"});
  h.tree.Set<std::uint32_t>(ao0, 0x12345);
  EXPECT_EQ(h.Pass(kContinuousOnline), std::vector<std::string>{"#01012345"});
}

TEST(AnalogOutputWrites, RealValuesAreHeldBetweenTheLimits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    const char* limits;
    float value;
    const char* write;
  };
  const Case cases[] = {
      {"0,10", 12.5f, "#010+10.000"},
      {"0,10", -3.0f, "#010+00.000"},
      {"0,10", 7.25f, "#010+07.250"},
      {"10,0", 5.0f, "#010+10.000"},  // inverted limits: always the low limit
      {"0,10", nan, "#010+10.000"},
      {"0,10", inf, "#010+10.000"},
      {"0,10", -inf, "#010+00.000"},
      {"0,nan", 5.0f, "#010+00.000"},
      {"0,1e20", 5e19f, "#010+5000000"},  // far longer than the scratch text, cut
      {"-inf,inf", -inf, "#010   -inf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.limits) + " " + std::to_string(c.value));
    OutputGroupHarness h(kMx43280Outputs, "00");
    h.tree.Set<float>(h.AddOutput("AO 0", std::string("0,0,") + c.limits + ",0,0"), c.value);
    h.Start();
    EXPECT_EQ(h.Pass(kOtherModesOnline), std::vector<std::string>{c.write});
  }
}

TEST(AnalogOutputStartupValues, HexadecimalCodesSpanTheLimits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float value, low, high;
    std::uint16_t code;
  };
  const Case cases[] = {
      {0, 0, 10, 0x8000}, {5, 0, 10, 0xFFFF},  {10, 0, 10, 0x7FFF}, {-5, 0, 10, 0x0000},
      {-20, 0, 10, 0x8002},  // the integer part -98302 wrapped to 16 bits
      {3, 3, 3, 0x8000},   {4, 3, 3, 0x8000},  {nan, 0, 10, 0x8000}, {5, 0, inf, 0x8000},
      {inf, 0, 10, 0x8000}, {5, nan, 10, 0x8000},
      // Beyond any integer type: the integer part still wraps to 16 bits.
      {1e6f, 0, 1, 0x3DC0}, {-1e6f, 0, 1, 0xC240}, {1e30f, 0, 1, 0x0000},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HexStartupCode(c.value, c.low, c.high), c.code) << c.value << " in " << c.low << ".." << c.high;
  }
}

TEST(AnalogOutputStartupValues, HexadecimalFormatReplacesTheTokens) {
  OutputGroupHarness h(kMx43610Outputs, "02");
  h.AddOutput("AO 0", "30,0,0,10,5,10");
  h.AddOutput("AO 1", "30,0,0,10,ABCDEFGHIJ,-5");
  h.Start();
  EXPECT_EQ(h.Pass(kOffline), (std::vector<std::string>{"$0190300", "~016S07FFF", "~016P0FFFF", "$0191300",
                                                         "~016S10000", "~016P18000", "#0100", "#0110"}));
}

// A missing token is an empty text (a limit 0); every command is still
// built, with the text shortened accordingly.
TEST(AnalogOutputStartupValues, ShortParameterStringsSendShortTexts) {
  struct Case {
    const char* moduleParams;
    const char* channelParams;
    std::vector<std::string> requests;
  };
  const Case cases[] = {
      {"00", "", {"$0190", "~016S0", "~016P0", "#010+00.000"}},
      {"00", "30", {"$019030", "~016S0", "~016P0", "#010+00.000"}},
      {"00", "30,1,0,10", {"$0190301", "~016S0", "~016P0", "#010+00.000"}},
      {"00", "30,1,0,10,5", {"$0190301", "~016S0", "~016P05", "#010+00.000"}},
      // Runs of commas are one separator: every later token moves up a place.
      {"00", "30,,1,0,10,5", {"$0190301", "~016S0", "~016P05", "#010+00.000"}},
      {"00", "30,1,0,10,123456789", {"$0190301", "~016S0", "~016P012345678", "#010+00.000"}},
      {"02", "", {"$0190", "~016S08000", "~016P08000", "#0100"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.moduleParams) + " / \"" + c.channelParams + "\"");
    OutputGroupHarness h(kMx43610Outputs, c.moduleParams);
    h.AddOutput("AO 0", c.channelParams);
    h.Start();
    EXPECT_EQ(h.Pass(kOffline), c.requests);
  }
}

}  // namespace
}  // namespace rio
