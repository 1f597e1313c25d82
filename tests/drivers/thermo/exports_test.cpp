// What the thermocouple, temperature and LED input drivers state about
// themselves through their exports.
#include <gtest/gtest.h>

#include "host/plugin.h"

namespace {

TEST(ThermoExports, NamesAndVersions) {
  struct Deliverable {
    const char* file;
    const char* names;
    const char* version;
  };
  const Deliverable deliverables[] = {
      {"mx43120", "MX-43120", "1.2.1"},           {"mx43120h", "MX-43120H,MX-43120N", "2.2.2"},
      {"mx43120t", "MX-43120T", "1.0.1"},         {"mx43130", "MX-43130T", "1.1.2"},
      {"mx2430", "N-2430Q", "1.0.0"},
  };
  for (const Deliverable& d : deliverables) {
    host::Plugin plugin(d.file);
    EXPECT_EQ(plugin.Name(), d.names);
    EXPECT_EQ(plugin.Version(), d.version);
  }
}

}  // namespace
