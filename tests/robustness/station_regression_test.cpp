// Regressions of the station reader found by its fuzz target: a station it
// accepts must be one the host can build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station/station.h"

namespace {

// A NUL in a text that goes into the I/O tree was accepted, and the host
// then ended on an exception while building the tree.
TEST(StationRegression, NulInATextOfTheTreeIsRefused) {
  const std::string head =
      "[[bus]]\nname = \"b\"\nport = \"/dev/null\"\n[[module]]\nname = \"m\"\nbus = \"b\"\ndriver = \"mx43110\"\n"
      "address = 1\n";
  const std::string cases[] = {
      "model = \"MX-4\\u00003110\"\n",
      "model = \"MX-43110\"\nparams = \"00,08\\u0000,Continuous\"\n",
      "model = \"MX-43110\"\n[[module.variable]]\nname = \"AI\\u00000\"\ntype = \"REAL\"\n",
      "model = \"MX-43110\"\n[[module.variable]]\nname = \"AI 0\"\ntype = \"REAL\"\nparams = \"\\u0000\"\n",
  };
  for (const std::string& tail : cases) {
    std::vector<station::Error> errors;
    EXPECT_FALSE(station::Parse(head + tail, "nul.toml", errors)) << tail;
    ASSERT_EQ(errors.size(), 1u) << tail;
    EXPECT_NE(errors[0].message.find("NUL"), std::string::npos) << errors[0].message;
  }
}

}  // namespace
