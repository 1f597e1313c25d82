// The three digital deliverables' published names, versions and model
// tables: every model selects its module code, channel counts and state
// word layout.
#include <gtest/gtest.h>

#include <string>

#include "drivers/digital/digital_rig.h"

namespace {

using digitaltest::Rig;

TEST(DigitalExports, NamesInTableOrderAndVersions) {
  struct Case {
    const char* file;
    const char* names;
    const char* version;
  };
  const Case cases[] = {
      {"mx43dio", "MX-43560,MX-43550,MX-43540,MX-43530", "1.1.1"},
      {"mx43di",
       "MX-43722,MX-43722H,MX-43720,MX-43718,MX-43716,MX-43714,MX-43714-B1,MX-43714-B4,MX-43714-BD2,"
       "MX-43714-F4,MX-43714H,MX-43712,MX-43710",
       "2.1.1"},
      {"mx43do",
       "MX-43826,MX-43824,MX-43824H,MX-43822,MX-43822H,MX-43820,MX-43820H,MX-43818,MX-43816,MX-43814,"
       "MX-43812,MX-43812-3B,MX-43810,MX-43810H",
       "1.1.1"},
  };
  for (const Case& c : cases) {
    host::Plugin plugin(c.file);
    EXPECT_EQ(plugin.Name(), c.names);
    EXPECT_EQ(plugin.Version(), c.version);
  }
  // The whole text only fits with a byte to spare.
  host::Plugin dio("mx43dio");
  char buffer[40];
  EXPECT_EQ(dio.GetName(buffer, 35), 0);
  EXPECT_EQ(dio.GetName(buffer, 36), 1);
}

struct ModelCase {
  const char* file;
  const char* model;
  const char* code;
  std::uint32_t inputs;
  std::uint32_t outputs;
  // The state word bit of input 0: the 8-input modules of the input family
  // report their inputs from bit 8.
  std::uint32_t inputShift;
};

const ModelCase kModelCases[] = {
    {"mx43dio", "MX-43560", "43560", 16, 16, 0},     {"mx43dio", "MX-43550", "43550", 8, 8, 0},
    {"mx43dio", "MX-43540", "43540", 8, 8, 0},       {"mx43dio", "MX-43530", "43530", 4, 4, 0},
    {"mx43di", "MX-43722", "43722", 32, 0, 0},       {"mx43di", "MX-43722H", "43722", 32, 0, 0},
    {"mx43di", "MX-43720", "43720X", 16, 0, 0},      {"mx43di", "MX-43718", "43718", 16, 0, 0},
    {"mx43di", "MX-43716", "43716", 8, 0, 8},        {"mx43di", "MX-43714", "43714", 16, 0, 0},
    {"mx43di", "MX-43714-B1", "43714", 16, 0, 0},    {"mx43di", "MX-43714-B4", "43714B4", 16, 0, 0},
    {"mx43di", "MX-43714-BD2", "43714", 8, 0, 8},    {"mx43di", "MX-43714-F4", "43714F4", 16, 0, 0},
    {"mx43di", "MX-43714H", "43714", 16, 0, 0},      {"mx43di", "MX-43712", "43712", 8, 0, 8},
    {"mx43di", "MX-43710", "43710", 8, 0, 8},        {"mx43do", "MX-43826", "43826", 0, 16, 0},
    {"mx43do", "MX-43824", "43824", 0, 32, 0},       {"mx43do", "MX-43824H", "43824", 0, 32, 0},
    {"mx43do", "MX-43822", "43822", 0, 16, 0},       {"mx43do", "MX-43822H", "43822", 0, 16, 0},
    {"mx43do", "MX-43820", "43820", 0, 16, 0},       {"mx43do", "MX-43820H", "43820", 0, 16, 0},
    {"mx43do", "MX-43818", "43818", 0, 8, 0},        {"mx43do", "MX-43816", "43816", 0, 8, 0},
    {"mx43do", "MX-43814", "43814", 0, 8, 0},        {"mx43do", "MX-43812", "43812", 0, 8, 0},
    {"mx43do", "MX-43812-3B", "43812", 0, 8, 0},     {"mx43do", "MX-43810", "43810", 0, 8, 0},
    {"mx43do", "MX-43810H", "43810", 0, 8, 0},
};

// The offline pass checks the module code; all outputs on give one "F" per
// four outputs; a state word of zeros clears exactly the bound inputs, and
// the word 0000FF00 lights the inputs that bits 8 to 15 carry.
TEST(DigitalModels, EveryModelSelectsItsCodeAndChannels) {
  for (const ModelCase& c : kModelCases) {
    SCOPED_TRACE(c.model);
    Rig rig(c.file, c.model);
    std::vector<host::Var> inputs;
    for (int i = 0; i < 32; ++i) {
      if (c.inputs != 0) inputs.push_back(rig.Bool("DI " + std::to_string(i)));
      if (c.outputs != 0) rig.Set(rig.Bool("DO " + std::to_string(i)), true);
    }
    for (const host::Var& input : inputs) rig.Set(input, true);
    rig.Start(c.code, 0);
    rig.bus.On("@01", ">00000000");

    auto first = rig.Scan();
    ASSERT_GE(first.size(), 3U);
    EXPECT_EQ(first[2].request, "$01M");
    EXPECT_EQ(first[2].status, hostabi::kReplyOk);
    if (c.outputs != 0) {
      EXPECT_EQ(first.back().request, "@01" + std::string(c.outputs / 4, 'F'));
    }
    for (std::uint32_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(rig.Get(inputs[i]), i >= c.inputs) << "DI " << i;

    rig.bus.On("@01", ">0000FF00");
    rig.Scan();
    for (std::uint32_t i = 0; i < c.inputs; ++i) {
      const std::uint32_t bit = i + c.inputShift;
      EXPECT_EQ(rig.Get(inputs[i]), bit >= 8 && bit < 16) << "DI " << i;
    }

    // A code that differs in its last character is another module.
    Rig other(c.file, c.model);
    std::string wrong = c.code;
    wrong.back() = wrong.back() == '0' ? '1' : '0';
    other.Start(wrong, 0);
    auto refused = other.Scan();
    ASSERT_GE(refused.size(), 3U);
    EXPECT_EQ(refused[2].status, hostabi::kReplyWrongModule);
  }
}

// Unknown models fall back to 8 channels; the name check then accepts any
// module that answers.
TEST(DigitalModels, UnknownModelGetsEightChannels) {
  Rig rig("mx43do", "MX-99999");
  for (int i = 0; i < 10; ++i) rig.Set(rig.Bool("DO " + std::to_string(i)), true);
  rig.Start("12345", 0);
  rig.bus.On("@01", ">00");
  auto scan = rig.Scan();
  ASSERT_GE(scan.size(), 3U);
  EXPECT_EQ(scan[2].status, hostabi::kReplyOk);
  EXPECT_EQ(scan.back().request, "@01FF");
}

TEST(DigitalModels, ParameterStringStartsWithTheScanMode) {
  struct Case {
    const char* params;
    std::uint32_t mode;
    std::int32_t hostValue;
  };
  const Case cases[] = {
      {"Periodic,500,5000,7,3", 2, 7},
      {"on call,9,3", 0, 9},
      {"Continuous,4,3", 1, 4},
      // The analog drivers' form: the data format token is taken for the
      // mode, so the module scans continuously.
      {"00,Periodic,500,5000,7,3", 1, 0},
  };
  for (const char* file : {"mx43dio", "mx43di", "mx43do"}) {
    for (const Case& c : cases) {
      Rig rig(file, "MX-TEST", c.params);
      rig.Start("0");
      EXPECT_EQ(rig.module->GetScanMode(), c.mode) << file << " " << c.params;
      EXPECT_EQ(rig.module->GetHostValue(), c.hostValue) << file << " " << c.params;
    }
  }
}

}  // namespace
