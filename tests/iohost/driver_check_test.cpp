// The host's own checks of a station, made before any port is touched:
// drivers that do not exist or do not serve the model, with their lines; and
// the I/O tree it builds for a good station (the plug-in sees the records).
#include <gtest/gtest.h>

#include <cstring>

#include "host/plugin_path.h"
#include "host/value_text.h"
#include "runtime.h"

namespace {

std::string Station(const std::string& driver, const std::string& model) {
  return "[[bus]]\nname = \"b\"\nport = \"/dev/null\"\n\n"
         "[[module]]\nname = \"ok\"\nbus = \"b\"\ndriver = \"mx43110\"\naddress = 1\nmodel = \"MX-43110\"\n"
         "params = \"00,08,Continuous,100,3\"\n"
         "  [[module.variable]]\n  name = \"AI 0\"\n  type = \"REAL\"\n  initial = 4.5\n"
         "  [[module.variable]]\n  name = \"Label\"\n  type = \"STRING\"\n  initial = \"tank 1\"\n"
         "\n[[module]]\nname = \"m2\"\nbus = \"b\"\ndriver = \"" + driver + "\"\naddress = 2\nmodel = \"" +
         model + "\"\n";
}

std::unique_ptr<iohost::Runtime> Build(const std::string& text, std::vector<station::Error>& errors) {
  const auto st = station::Parse(text, "t.toml", errors);
  EXPECT_TRUE(st.has_value());
  std::string failure;
  return st ? iohost::Runtime::Build(*st, host::PluginSearchPath({}), errors, &failure) : nullptr;
}

TEST(DriverCheck, UnknownDriversAndModelsAreStationErrors) {
  struct Case {
    std::string driver, model;
    int line;
    std::string message;
  };
  const Case cases[] = {
      {"mx99999", "MX-1", 24, "unknown driver \"mx99999\" of module \"m2\""},
      {"/nonexistent/mx43110.so", "MX-43110", 24, "unknown driver \"/nonexistent/mx43110.so\""},
      {"mx43110", "MX-43110TK", 21, "model \"MX-43110TK\" of module \"m2\" is not served by driver mx43110 "
                                     "(models: MX-43110)"},
  };
  for (const Case& c : cases) {
    std::vector<station::Error> errors;
    EXPECT_EQ(Build(Station(c.driver, c.model), errors), nullptr);
    ASSERT_EQ(errors.size(), 1u) << c.driver;
    EXPECT_EQ(errors[0].line, c.line) << c.driver;
    EXPECT_NE(errors[0].message.find(c.message), std::string::npos) << errors[0].message;
  }
}

TEST(DriverCheck, ModelsAreComparedWithoutLetterCaseAndPathsWork) {
  std::vector<station::Error> errors;
  const auto runtime = Build(Station(host::BuiltPluginDir() + "/mx43110tk.so", "mx-43110tk"), errors);
  ASSERT_NE(runtime, nullptr) << (errors.empty() ? "" : errors[0].message);
  EXPECT_EQ(runtime->Modules().size(), 2u);
  EXPECT_EQ(runtime->Buses()[0]->modules.size(), 2u);
}

TEST(DriverCheck, InitialValuesAndTextsAreInTheTree) {
  std::vector<station::Error> errors;
  const auto runtime = Build(Station("mx43110", "MX-43110"), errors);
  ASSERT_NE(runtime, nullptr);
  EXPECT_EQ(runtime->Get("ok", "AI 0").value_or(""), "4.5");
  EXPECT_EQ(runtime->Get("ok", "Label").value_or(""), "tank 1");
  iohost::RuntimeModule* module = runtime->FindModule("ok");
  ASSERT_NE(module, nullptr);
  // The variable node's record: the name at 0, the parameter string at 36.
  const host::Var& ai0 = module->variables[0].var;
  EXPECT_STREQ(reinterpret_cast<const char*>(ai0.descriptor + 16), "AI 0");
  std::string message;
  EXPECT_TRUE(runtime->Set("ok", "AI 0", "-1.25", &message)) << message;
  EXPECT_EQ(runtime->Get("ok", "AI 0").value_or(""), "-1.25");
  EXPECT_FALSE(runtime->Set("ok", "AI 0", "abc", &message));
  EXPECT_FALSE(runtime->Set("ok", "AI 9", "1", &message));
  EXPECT_NE(message.find("has no variable \"AI 9\""), std::string::npos);
  EXPECT_FALSE(runtime->Set("nobody", "AI 0", "1", &message));
}

}  // namespace
