#include "platform/path_mapping.h"

#include <gtest/gtest.h>

namespace relauncher_test {
namespace {

using namespace platform;

TEST(PathMappingTest, LinuxDirectoriesBecomeControllerDirectoriesWithTrailingSeparator) {
  struct Case {
    const char* linuxPath;
    const char16_t* controller;  // null: refused
  };
  const Case cases[] = {
      {"/srv/plc/App/FB", u"\\srv\\plc\\App\\FB\\"},
      {"/srv/plc/App/FB/", u"\\srv\\plc\\App\\FB\\"},
      {"/", u"\\"},
      {"/data/caf\xc3\xa9/\xf0\x9f\x94\xa7", u"\\data\\caf\u00e9\\\U0001F527\\"},
      {"relative/FB", nullptr},
      {"", nullptr},
      {"/srv/odd\\name", nullptr},
      {"/srv/\xc3(", nullptr},         // broken sequence
      {"/srv/\xc0\xaf", nullptr},      // overlong "/"
      {"/srv/\xed\xa0\x80", nullptr},  // encoded surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.linuxPath);
    std::u16string controller = u"unchanged";
    const bool mapped = LinuxDirectoryToControllerPath(c.linuxPath, controller);
    EXPECT_EQ(mapped, c.controller != nullptr);
    EXPECT_EQ(controller, c.controller ? c.controller : u"unchanged");
  }
}

TEST(PathMappingTest, ControllerPathsBecomeLinuxPaths) {
  struct Case {
    const char16_t* controller;
    const char* linuxPath;  // null: refused
  };
  const Case cases[] = {
      {u"\\srv\\plc\\App\\Corvane.exe", "/srv/plc/App/Corvane.exe"},
      {u"\\", "/"},
      {u"\\data\\caf\u00e9\\\U0001F527", "/data/caf\xc3\xa9/\xf0\x9f\x94\xa7"},
      {u"Corvane.exe", nullptr},
      {u"", nullptr},
      {u"\\srv/plc\\Corvane.exe", nullptr},
      {u"\\srv\\\xd800x", nullptr},  // half of a surrogate pair
      {u"\\srv\\\xdc00", nullptr},
  };
  for (const Case& c : cases) {
    std::string linuxPath = "unchanged";
    const bool mapped = ControllerPathToLinuxPath(c.controller, linuxPath);
    EXPECT_EQ(mapped, c.linuxPath != nullptr) << "case " << &c - cases;
    EXPECT_EQ(linuxPath, c.linuxPath ? c.linuxPath : "unchanged") << "case " << &c - cases;
  }
}

TEST(PathMappingTest, ProcessNamesWithBrokenTextStillConvert) {
  EXPECT_EQ(Utf8ToUtf16Lossy("Corvane.exe"), u"Corvane.exe");
  EXPECT_EQ(Utf8ToUtf16Lossy("ab\xff"
                             "c\xe2\x82"),
            u"ab\ufffdc\ufffd\ufffd");
}

}  // namespace
}  // namespace relauncher_test
