// The station file reader: every fault of a file is reported with its line
// and a message that names what is wrong; a good file gives the values and
// the defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/host_tree.h"
#include "station/station.h"

namespace {

std::vector<station::Error> ErrorsOf(const std::string& text) {
  std::vector<station::Error> errors;
  EXPECT_FALSE(station::Parse(text, "test.toml", errors).has_value()) << text;
  return errors;
}

const std::string kBus = R"([[bus]]
name = "bus1"
port = "/dev/ttyUSB0"
)";

// A module on bus1 whose key under test is on line 9; address and model get
// defaults after it unless that key is the one under test.
std::string ModuleWith(const std::string& keys, const std::string& tail = "") {
  std::string text = kBus + "\n[[module]]\nname = \"m1\"\nbus = \"bus1\"\ndriver = \"mx43110\"\n" + keys + "\n";
  if (keys.rfind("address", 0) != 0) text += "address = 1\n";
  if (keys.rfind("model", 0) != 0) text += "model = \"MX-43110\"\n";
  return text + tail;
}

TEST(StationFile, GoodFileGivesValuesAndDefaults) {
  std::vector<station::Error> errors;
  const auto st = station::Parse(kBus + R"(baud = 19200
parity = "even"
checksum = true

[[module]]
name = "in1"
bus = "bus1"
driver = "mx43110"
address = 255
model = "MX-43110"
params = "00,08,Continuous,100,3"
flags = 1
watchdog = 255

  [[module.variable]]
  name = "AI 0"
  type = "real"
  initial = 1.5

  [[module.variable]]
  name = "Connect State"
  type = "UDINT"
)", "good.toml", errors);
  ASSERT_TRUE(st.has_value()) << (errors.empty() ? "" : errors[0].message);
  ASSERT_EQ(st->buses.size(), 1u);
  const station::Bus& bus = st->buses[0];
  EXPECT_EQ(bus.baud, 19200u);
  EXPECT_EQ(bus.parity, station::Parity::kEven);
  EXPECT_TRUE(bus.checksum);
  EXPECT_EQ(bus.timeoutMs, station::kDefaultResponseTimeoutMs);
  EXPECT_EQ(bus.dataBits, 8u);
  EXPECT_FALSE(bus.echo);
  EXPECT_EQ(bus.turnaroundMs, 0u);
  ASSERT_EQ(st->modules.size(), 1u);
  const station::Module& module = st->modules[0];
  EXPECT_EQ(module.line, 8);
  EXPECT_EQ(module.driverLine, 11);
  EXPECT_EQ(module.address, 255u);
  EXPECT_EQ(module.watchdog, 255u);
  EXPECT_EQ(module.flags, 1u);
  ASSERT_EQ(module.variables.size(), 2u);
  EXPECT_EQ(module.variables[0].typeName, "REAL") << "type names ignore letter case";
  EXPECT_EQ(module.variables[0].typeCode, host::kTypeFloat32);
  EXPECT_EQ(module.variables[0].initial.value_or(""), "1.5");
  EXPECT_EQ(module.variables[1].typeCode, host::kTypeUInt32);
  EXPECT_FALSE(module.variables[1].initial.has_value());
}

TEST(StationFile, TypeNamesMapToDatabaseCodes) {
  const std::pair<const char*, std::uint8_t> kTypes[] = {
      {"BOOL", host::kTypeBool},     {"SINT", host::kTypeInt8},     {"INT", host::kTypeInt16},
      {"DINT", host::kTypeInt32},    {"LINT", host::kTypeInt64},    {"USINT", host::kTypeUInt8},
      {"UINT", host::kTypeUInt16},   {"UDINT", host::kTypeUInt32},  {"ULINT", host::kTypeUInt64},
      {"REAL", host::kTypeFloat32},  {"LREAL", host::kTypeFloat64}, {"STRING", host::kTypeString}};
  for (const auto& [name, code] : kTypes) {
    std::vector<station::Error> errors;
    const auto st = station::Parse(
        ModuleWith("", std::string("[[module.variable]]\nname = \"v\"\ntype = \"") + name + "\"\n"),
        "t.toml", errors);
    ASSERT_TRUE(st.has_value()) << name;
    EXPECT_EQ(st->modules[0].variables[0].typeCode, code) << name;
  }
}

TEST(StationFile, BadFilesGetTheirLineAndMessage) {
  const std::string longParams(128, 'x');
  struct Case {
    std::string text;
    int line;
    std::string message;  // a part of the message
  };
  const Case cases[] = {
      {kBus + "baud = \n", 4, "TOML syntax"},
      {ModuleWith("adress = 1"), 9, "unknown key \"adress\""},
      {ModuleWith("address = 256"), 9, "\"address\" of module \"m1\" is 256, allowed 0 to 255"},
      {ModuleWith("watchdog = 256"), 9, "\"watchdog\" of module \"m1\" is 256, allowed 0 to 255"},
      {ModuleWith("flags = -1"), 9, "\"flags\""},
      {ModuleWith("address = \"1\""), 9, "must be a whole number"},
      {ModuleWith("params = \"" + longParams + "\""), 9, "has 128 characters, at most 127 fit"},
      {ModuleWith("", "[[module.variable]]\nname = \"AI 0\"\ntype = \"REAL\"\nparams = \"" + longParams +
                          "\"\n"),
       15, "\"params\" of variable \"AI 0\" of module \"m1\" has 128 characters"},
      {ModuleWith("", "[[module.variable]]\nname = \"AI 0\"\ntype = \"FLOAT\"\n"), 14,
       "unknown type \"FLOAT\""},
      {ModuleWith("", "[[module.variable]]\nname = \"v\"\ntype = \"SINT\"\ninitial = 300\n"), 15,
       "300 is out of range for SINT (-128 to 127)"},
      {ModuleWith("", "[[module.variable]]\nname = \"v\"\ntype = \"BOOL\"\ninitial = \"maybe\"\n"), 15,
       "is not a BOOL"},
      {ModuleWith("", "[[module.variable]]\nname = \"v\"\ntype = \"DINT\"\ninitial = 1.5\n"), 15,
       "is not an integer for DINT"},
      {ModuleWith("", "[[module.variable]]\nname = \"v\"\ntype = \"BOOL\"\n[[module.variable]]\nname = "
                      "\"v\"\ntype = \"BOOL\"\n"),
       15, "variable \"v\" appears twice in module \"m1\""},
      {ModuleWith("", "[[module.variable]]\nname = \"" + std::string(36, 'n') + "\"\ntype = \"BOOL\"\n"),
       13, "at most 35 fit"},
      {ModuleWith("model = \"" + std::string(32, 'M') + "\""), 9, "at most 31 fit"},
      {"[[bus]]\nname = \"bus1\"\n\n[[module]]\nname = \"m\"\nbus = \"bus1\"\ndriver = \"d\"\naddress = 1\n"
       "model = \"M\"\n",
       1, "bus \"bus1\" has no \"port\""},
      {kBus + "parity = \"mark\"\n[[module]]\nname=\"m\"\nbus=\"bus1\"\ndriver=\"d\"\naddress=1\nmodel=\"M\"\n",
       4, "parity of bus \"bus1\" is \"mark\", use none, even or odd"},
      {kBus + "timeout_ms = 0\n[[module]]\nname=\"m\"\nbus=\"bus1\"\ndriver=\"d\"\naddress=1\nmodel=\"M\"\n",
       4, "\"timeout_ms\" of bus \"bus1\" is 0"},
      {kBus + "turnaround_ms = 1001\n[[module]]\nname=\"m\"\nbus=\"bus1\"\ndriver=\"d\"\naddress=1\nmodel=\"M\"\n",
       4, "\"turnaround_ms\" of bus \"bus1\" is 1001, allowed 0 to 1000"},
      {kBus + "echo = 1\n[[module]]\nname=\"m\"\nbus=\"bus1\"\ndriver=\"d\"\naddress=1\nmodel=\"M\"\n", 4,
       "\"echo\" of bus \"bus1\" must be true or false"},
      {"[bus]\nname = \"b\"\nport = \"p\"\n", 1, "must be written as [[bus]] sections"},
      {kBus, 0, "the station has no [[module]]"},
      {ModuleWith("", "[[module]]\nname = \"m1\"\nbus = \"bus1\"\ndriver = \"d\"\naddress = 2\nmodel = \"M\"\n"),
       12, "module name \"m1\" is used twice"},
      {ModuleWith("", "[[module]]\nname = \"m2\"\nbus = \"bus1\"\ndriver = \"d\"\naddress = 1\nmodel = \"M\"\n"),
       12, "address 1 is already used on bus \"bus1\""},
      {kBus + "[[module]]\nname = \"m\"\nbus = \"bus9\"\ndriver = \"d\"\naddress = 1\nmodel = \"M\"\n", 4,
       "names bus \"bus9\", which is not defined"},
      {kBus + "[[module]]\nname = \"m\"\nbus = \"bus1\"\naddress = 1\nmodel = \"M\"\n", 4,
       "module \"m\" has no \"driver\""},
      {kBus + kBus + "[[module]]\nname=\"m\"\nbus=\"bus1\"\ndriver=\"d\"\naddress=1\nmodel=\"M\"\n", 4,
       "bus name \"bus1\" is used twice"},
  };
  for (const Case& c : cases) {
    const auto errors = ErrorsOf(c.text);
    ASSERT_FALSE(errors.empty()) << c.text;
    bool found = false;
    for (const station::Error& e : errors) {
      found |= e.line == c.line && e.message.find(c.message) != std::string::npos;
    }
    EXPECT_TRUE(found) << "expected line " << c.line << ": " << c.message << "\ngot "
                       << station::Format("test.toml", errors[0]) << "\nin:\n" << c.text;
  }
}

TEST(StationFile, EveryFaultIsReportedSortedByLine) {
  const auto errors = ErrorsOf(ModuleWith("watchdog = 999",
                                          "[[module.variable]]\nname = \"v\"\ntype = \"WORD\"\n"));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].line, 9);
  EXPECT_EQ(errors[1].line, 14);
  EXPECT_EQ(station::Format("st.toml", errors[0]).rfind("st.toml:9: ", 0), 0u);
}

TEST(StationFile, MissingFileIsAnError) {
  std::vector<station::Error> errors;
  EXPECT_FALSE(station::Load("/nonexistent/station.toml", errors).has_value());
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(station::Format("/nonexistent/station.toml", errors[0]),
            "/nonexistent/station.toml: cannot open the station file");
}

}  // namespace
