// The iohost program as a user runs it: exit codes, FILE:LINE messages,
// JSON output of a simulated run, commands on standard input, a missing port.
// Every run is bounded by --scans/--duration and by timeout(1).
#include <gtest/gtest.h>
#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "station/station.h"

namespace {

struct Result {
  int status = -1;
  std::string out, err;
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    char directory[] = "/tmp/iohost-cli-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    dir_ = directory;
  }
  void TearDown() override { std::system(("rm -rf " + dir_).c_str()); }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // Runs iohost with args (shell words) and standard input `input`.
  Result Run(const std::string& args, const std::string& input = "") {
    const std::string in = Write("stdin", input);
    const std::string command = "timeout 25 " + std::string(IOHOST_EXE) + " " + args + " < " + in +
                                " > " + dir_ + "/out 2> " + dir_ + "/err";
    Result result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = Read(dir_ + "/out");
    result.err = Read(dir_ + "/err");
    return result;
  }

  std::string dir_;
};

const char* const kStation = R"([[bus]]
name = "bus1"
port = "PORT"
baud = 115200
timeout_ms = 100

[[module]]
name = "outputs1"
bus = "bus1"
driver = "mx43220"
address = 2
model = "MX-43220"
params = "00,Continuous,100,1"
  [[module.variable]]
  name = "AO 0"
  type = "REAL"
  params = "3,0,0,10,0,0"
  [[module.variable]]
  name = "Connect State"
  type = "UDINT"
)";

std::string StationOn(const std::string& port) {
  std::string text = kStation;
  text.replace(text.find("PORT"), 4, port);
  return text;
}

TEST_F(Cli, StationErrorsExitWithTwoAndFileLine) {
  const std::string path = Write("bad.toml", "[[bus]]\nname = \"b\"\n\n[[module]]\nname = \"m\"\nbus = \"b\"\n"
                                             "driver = \"mx99999\"\naddress = 300\nmodel = \"X\"\n");
  for (const char* command : {"check", "run"}) {
    const Result r = Run(std::string(command) + " " + path + " --simulate");
    EXPECT_EQ(r.status, 2) << command << r.err;
    EXPECT_NE(r.err.find(path + ":1: bus \"b\" has no \"port\""), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(path + ":8: \"address\" of module \"m\" is 300, allowed 0 to 255"),
              std::string::npos) << r.err;
  }
  // The driver is checked once the file itself is sound, still before any port.
  std::string text = StationOn("/dev/null");
  text.replace(text.find("mx43220"), 7, "mx99999");
  const std::string unknown = Write("unknown.toml", text);
  const Result r = Run("run " + unknown);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(unknown + ":10: unknown driver \"mx99999\""), std::string::npos) << r.err;
}

TEST_F(Cli, UsageErrorsExitWithOne) {
  EXPECT_EQ(Run("").status, 1);
  EXPECT_EQ(Run("run").status, 1);
  EXPECT_EQ(Run("run x.toml --scans many").status, 1);
  EXPECT_EQ(Run("run " + Write("s.toml", StationOn("/dev/null")) + " --set \"outputs1 AO 9 1\"").status, 1);
  EXPECT_EQ(Run("help").status, 0);
}

// An input module beside the outputs: its 50 scans end the run (the output
// module scans only when an output changes), long after the commands read
// from the file on standard input were applied.
const char* const kInputModule = R"(
[[module]]
name = "inputs1"
bus = "bus1"
driver = "mx43110"
address = 1
model = "MX-43110"
params = "00,08,Continuous,100,1"
)";

TEST_F(Cli, SimulatedRunWritesJsonAndTakesCommands) {
  const std::string path = Write("s.toml", StationOn("/dev/ttyUSB-never") + kInputModule);
  const Result r = Run("run " + path + " --simulate --json --trace --scans 50",
                       "set outputs1 AO 0 7.25\nget outputs1 AO 0\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("{\"event\":\"start\""), std::string::npos);
  EXPECT_NE(r.out.find("{\"event\":\"exchange\""), std::string::npos);
  EXPECT_NE(r.out.find("\"request\":\"#02007.250\\r\""), std::string::npos) << "the set value went out";
  EXPECT_NE(r.out.find("\"message\":\"outputs1 AO 0 = 7.25\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"AO 0\":7.25"), std::string::npos);
  EXPECT_NE(r.out.find("\"connect_state\":0"), std::string::npos);
  EXPECT_NE(r.out.find("{\"event\":\"end\"}"), std::string::npos);
}

TEST_F(Cli, MissingPortShowsPortErrorAndTheRunEndsOnTime) {
  const std::string path = Write("s.toml", StationOn(dir_ + "/ttyUSB9"));
  const Result r = Run("run " + path + " --json --duration 2.5 --interval 500");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"state\":\"error\""), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("\"connect_state\":3"), std::string::npos) << r.out;
}

TEST_F(Cli, ScansEndTheRunAndPlainLinesShowTheModules) {
  const std::string path = Write("s.toml", StationOn("unused"));
  const Result r = Run("run " + path + " --simulate --scans 2 --trace --set \"outputs1 AO 0 2.5\"");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("outputs1 state=0 ok"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("#02002.500\\r"), std::string::npos) << "--set applies before the first scan";
}

TEST_F(Cli, DriversListsTheBuiltPlugins) {
  const Result r = Run("drivers");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("mx43110"), std::string::npos);
  EXPECT_NE(r.out.find("MX-43110"), std::string::npos);
}

// The station files in examples/.
std::vector<std::string> Examples() {
  std::vector<std::string> names;
  if (DIR* examples = opendir(EXAMPLES_DIR)) {
    while (const dirent* entry = readdir(examples)) {
      const std::string name = entry->d_name;
      if (name.size() > 5 && name.compare(name.size() - 5, 5, ".toml") == 0) names.push_back(name);
    }
    closedir(examples);
  }
  return names;
}

TEST_F(Cli, EveryExampleStationIsValid) {
  const auto examples = Examples();
  ASSERT_FALSE(examples.empty());
  for (const std::string& name : examples) {
    const Result r = Run(std::string("check ") + EXAMPLES_DIR + "/" + name);
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
  }
}

// An example that passes the check can still ask its modules for what they
// refuse: every module must be connected at the end of a short run.
TEST_F(Cli, EveryExampleRunsWithEveryModuleConnected) {
  for (const std::string& name : Examples()) {
    const Result r = Run(std::string("run ") + EXAMPLES_DIR + "/" + name + " --simulate --json --scans 2");
    EXPECT_EQ(r.status, 0) << name << ": " << r.err;
    const std::size_t last = r.out.rfind("{\"event\":\"values\"");
    ASSERT_NE(last, std::string::npos) << name;
    const std::string values = r.out.substr(last, r.out.find('\n', last) - last);
    std::size_t modules = 0, connected = 0;
    for (std::size_t at = values.find("\"connect_state\":"); at != std::string::npos;
         at = values.find("\"connect_state\":", at + 1)) {
      ++modules;
      connected += values.compare(at, 18, "\"connect_state\":0,") == 0 ? 1 : 0;
    }
    EXPECT_GT(modules, 0u) << name;
    EXPECT_EQ(connected, modules) << name << ": " << values;
  }
}

// The demo is what a newcomer runs first: it shows several kinds of modules.
TEST(Examples, DemoShowsSeveralKindsOfModules) {
  std::vector<station::Error> errors;
  const auto demo = station::Load(EXAMPLES_DIR "/demo.toml", errors);
  ASSERT_TRUE(demo.has_value());
  std::set<std::string> drivers;
  for (const station::Module& module : demo->modules) drivers.insert(module.driver);
  EXPECT_GE(drivers.size(), 4u);
}

}  // namespace
